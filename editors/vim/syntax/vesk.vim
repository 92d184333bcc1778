" syntax/vesk.vim - highlighting of vesk scripts (.vk). A script is read line by line: no item
" reaches past the end of its line, block keywords count only as the first word of a line, and
" names, numbers, texts and comments are told apart as vesk's tokenizer tells them apart.
if exists('b:current_syntax')
  finish
endif

syntax case match

" Among items that start at the same place, the one defined last wins: general ones come first.
syntax match veskName /\h\w*/
" The 52 built-in functions.
let s:builtins = ['getlasterror', 'throw', 'abs', 'sqrt', 'round', 'min', 'max', 'sin', 'cos', 'tan',
      \ 'asin', 'acos', 'atan', 'year', 'month', 'day', 'date', 'hour', 'minute', 'second',
      \ 'time', 'sleep', 'dump', 'print', 'assert', 'delete', 'count', 'isdefined', 'isnumber',
      \ 'isstring', 'islist', 'isnamedlist', 'isbinary', 'isinvalid', 'setinvalid',
      \ 'resetinvalid', 'isdisabled', 'setdisabled', 'resetdisabled', 'ischanged',
      \ 'setchanged', 'resetchanged', 'haserror', 'seterror', 'reseterror', 'getfolderpath',
      \ 'enumfiles', 'enumfolders', 'deletefile', 'deletefolder', 'renamefile', 'createfolder']
execute 'syntax match veskBuiltin /\w\@<!\%(' . join(s:builtins, '\|') . '\)\w\@!/'
" A name before '.' or '[' is a variable whose elements are reached; one after '.' a member.
syntax match veskName /\h\w*\ze\s*[.[]/
syntax match veskMember /\%(\.\s*\)\@<=\h\w*/
" name = value in an argument list or a list literal.
syntax match veskNamedArgument /\h\w*\ze\s*=\%(=\)\@!/

syntax match veskOperator /[-+*\/%!<>=]/
syntax match veskError /[&|]/
syntax match veskOperator /==\|!=\|<>\|<=\|>=\|&&\|||/

" Numbers: digits, an optional point with digits, an optional exponent, and a double quote right
" after for inches. Digits that run into letters, or an exponent without digits or sign, are
" malformed.
syntax match veskError /\%(\d\+\%(\.\d*\)\=\%([eE][+-]\=\d*\)\=\)\@>\w*/
syntax match veskNumber /\%(\d\+\%(\.\d*\)\=\%([eE]\%([+-]\d*\|\d\+\)\)\=\)\@>\w\@!"\=/

" Texts in double quotes and names in apostrophes, with the same escapes; one left open at the
" end of its line is an error.
syntax match veskEscape /\\["\\nrt]/ contained
syntax region veskString start=/"/ skip=/\\./ end=/"/ oneline contains=veskEscape
syntax region veskQuotedName start=/'/ skip=/\\./ end=/'/ oneline contains=veskEscape
syntax match veskError /"\%([^"\\]\|\\.\)*\\\=$/
syntax match veskError /'\%([^'\\]\|\\.\)*\\\=$/

" A block comment ends at the next '*/' or with its line.
syntax match veskComment /;.*$/
syntax match veskComment /\/\/.*$/
syntax match veskComment /\/\*.\{-}\%(\*\/\|$\)/

" A line's first word (after blanks and closed block comments): a name followed by '=' is the
" variable assigned, not a named argument, and so is the variable of a for loop. Block keywords
" count there only; each, in and to on a for line.
let s:first = '^\s*\%(\/\*.\{-}\*\/\s*\)*'
execute 'syntax match veskName /\%(' . s:first . '\)\@<=\h\w*\ze\s*=\%(=\)\@!/'
execute 'syntax match veskName /\%(' . s:first . 'for\s\+\)\@<=\h\w*/'
execute 'syntax match veskBlock /\%(' . s:first . '\)\@<=\%(if\|else\|end\|for\|next\|try\|catch\|'
      \ . 'repeat\|until\|do\|while\|parallel\|thread\)\w\@!/'
execute 'syntax match veskLoopWord /\%(' . s:first . 'for\w\@!\s*\)\@<=each\w\@!/'
execute 'syntax match veskLoopWord /\%(' . s:first . 'for\w\@!.*\)\@<=\w\@<!\%(in\|to\)\w\@!/'

highlight default link veskComment Comment
highlight default link veskString String
highlight default link veskEscape SpecialChar
highlight default link veskQuotedName Identifier
highlight default link veskNumber Number
highlight default link veskError Error
highlight default link veskBlock Statement
highlight default link veskLoopWord Statement
highlight default link veskBuiltin Function
highlight default link veskNamedArgument Identifier
highlight default link veskOperator Operator

let b:current_syntax = 'vesk'

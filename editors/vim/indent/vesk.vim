" indent/vesk.vim - indentation of vesk scripts: one level in after a line that opens a block
" (if, else, for, try, catch, repeat, do, parallel, thread), one level out on a line that closes
" or divides one (else, end, next, catch, until, while, thread). Only a line's first word counts.
if exists('b:did_indent')
  finish
endif
let b:did_indent = 1

setlocal indentexpr=GetVeskIndent(v:lnum)
setlocal indentkeys=!^F,o,O,=end,=else,=next,=catch,=until,=while,=thread
let b:undo_indent = 'setlocal indentexpr< indentkeys<'

if exists('*GetVeskIndent')
  finish
endif

" A line's first word, after blanks and closed block comments.
let s:first = '^\s*\%(/\*.\{-}\*/\s*\)*'
let s:opens = s:first . '\%(if\|else\|for\|try\|catch\|repeat\|do\|parallel\|thread\)\w\@!'
let s:closes = s:first . '\%(else\|end\|next\|catch\|until\|while\|thread\)\w\@!'

function GetVeskIndent(lnum) abort
  let previous = prevnonblank(a:lnum - 1)
  if previous == 0
    return 0
  endif
  let indent = indent(previous)
  if getline(previous) =~# s:opens
    let indent += shiftwidth()
  endif
  if getline(a:lnum) =~# s:closes
    let indent -= shiftwidth()
  endif
  return max([indent, 0])
endfunction

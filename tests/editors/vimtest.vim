" vimtest.vim - checks the Vim support of vesk scripts in a headless Vim: a .vk file gets the
" filetype, syntax and indentation without an error; re-indenting a badly indented script gives
" the expected text; = and gq run vesk --format (g:vesk, the vesk built) on the lines; and the
" highlighting agrees with what the annotated grammar samples assert.
" Run as: vim -N -u NONE -i NONE -n -es --cmd "let g:editors = 'EDITORS/vim'"
"   --cmd "let g:tests = 'TESTS/editors'" --cmd "let g:report = 'FILE'"
"   --cmd "let g:vesk = 'VESK'" -S vimtest.vim
let s:failures = []
" The indentation rules first, without the formatter.
let g:vesk_command = ''
let &runtimepath = g:editors . ',' . &runtimepath
filetype plugin indent on
syntax on

" Opens a file; reports what it leaves in v:errmsg.
function s:open(file) abort
  let v:errmsg = ''
  execute 'edit! ' . fnameescape(a:file)
  if v:errmsg !=# ''
    call add(s:failures, a:file . ': ' . v:errmsg)
  endif
  if &filetype !=# 'vesk' || get(b:, 'current_syntax', '') !=# 'vesk' || &indentexpr ==# ''
    call add(s:failures, a:file . ': filetype, syntax or indentation not set')
  endif
endfunction

function s:checkindent() abort
  call s:open(g:tests . '/indent/messy.vk')
  setlocal shiftwidth=2 expandtab
  normal! gg=G
  let expected = readfile(g:tests . '/indent/tidy.vk')
  let got = getline(1, '$')
  for i in range(max([len(got), len(expected)]))
    if get(got, i, '<none>') !=# get(expected, i, '<none>')
      call add(s:failures, 'reindented line ' . (i + 1) . ': ' . string(get(got, i, '<none>'))
            \ . ', expected ' . string(get(expected, i, '<none>')))
    endif
  endfor
endfunction

" With the formatter, = lays the whole script out as vesk --format does, and gq a part of it on
" the indentation of its first line.
function s:checkformat() abort
  let g:vesk_command = g:vesk
  let file = g:tests . '/indent/messy.vk'
  silent! bwipeout!
  call s:open(file)
  if &equalprg !~# ' --format -$' || &formatprg !=# &equalprg
    call add(s:failures, 'formatprg and equalprg: ' . &formatprg . ', ' . &equalprg)
  endif
  normal! gg=G
  let expected = systemlist(shellescape(g:vesk) . ' --format - < ' . shellescape(file))
  if getline(1, '$') !=# expected
    call add(s:failures, '= does not give what vesk --format gives: ' . string(getline(1, 8)))
  endif
  silent! %delete _
  call setline(1, ['if x', '    y=1', '    z=2', 'end'])
  normal! 2Ggqj
  if getline(1, '$') !=# ['if x', '    y = 1', '    z = 2', 'end']
    call add(s:failures, 'gq on two lines: ' . string(getline(1, '$')))
  endif
  let g:vesk_command = ''
endfunction

" The highlight group that stands for a grammar scope; '' where the highlighting does not
" tell that scope apart (plain names, punctuation).
let s:groups = [['comment.', 'veskComment'], ['constant.character.escape', 'veskEscape'],
      \ ['string.quoted', 'veskString'], ['variable.other.quoted', 'veskQuotedName'],
      \ ['invalid.', 'veskError'], ['keyword.other.unit', ''],
      \ ['constant.numeric', 'veskNumber'], ['keyword.control.block', 'veskBlock'],
      \ ['keyword.control', 'veskLoopWord'], ['keyword.operator', 'veskOperator'],
      \ ['support.function', 'veskBuiltin'], ['variable.parameter', 'veskNamedArgument']]
function s:group(scope) abort
  for [prefix, group] in s:groups
    if stridx(a:scope, prefix) == 0
      return group
    endif
  endfor
  return ''
endfunction

" One assertion line of a sample ("; ^^^ scopes - unwanted scopes" or "; <--- scopes") about
" line `target`: the innermost scope asserted that has a group must be highlighted with it, and
" no unwanted scope's group may be there.
function s:checkassertion(file, target, line) abort
  let carets = matchlist(a:line, '^;\(\s*\)\(\^\+\)\s\+\(.*\)$')
  let arrow = matchlist(a:line, '^;\s*<\(\~*\)\(-\+\)\s\+\(.*\)$')
  if !empty(carets)
    let [first, width, scopes] = [len(carets[1]) + 1, len(carets[2]), carets[3]]
  elseif !empty(arrow)
    let [first, width, scopes] = [len(arrow[1]), len(arrow[2]), arrow[3]]
  else
    return
  endif
  let [wanted, unwanted] = (split(scopes, ' - ', 1) + [''])[0:1]
  let groups = filter(map(split(wanted), 's:group(v:val)'), 'v:val !=# ""')
  let want = empty(groups) ? '' : groups[-1]
  let avoid = filter(map(split(unwanted), 's:group(v:val)'), 'v:val !=# ""')
  for column in range(first + 1, first + width)
    let got = synIDattr(synID(a:target, column, 1), 'name')
    if (want !=# '' && got !=# want) || index(avoid, got) >= 0
      call add(s:failures, printf('%s:%d:%d: %s, expected %s%s', a:file, a:target, column,
            \ got ==# '' ? 'no group' : got, want ==# '' ? 'any' : want,
            \ empty(avoid) ? '' : ' and not ' . join(avoid, ', ')))
    endif
  endfor
endfunction

function s:checksamples() abort
  for file in glob(g:tests . '/grammar/*.vk', 0, 1)
    call s:open(file)
    let target = 0
    for number in range(2, line('$'))
      let text = getline(number)
      if text =~# '^;\s*\%(\^\|<\)'
        call s:checkassertion(file, target, text)
      else
        let target = number
      endif
    endfor
  endfor
endfunction

call s:checkindent()
call s:checkformat()
call s:checksamples()
call writefile(s:failures + [len(s:failures) . ' failures'], g:report)
execute empty(s:failures) ? 'qall!' : 'cquit!'

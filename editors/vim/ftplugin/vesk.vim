" ftplugin/vesk.vim - editing settings for vesk scripts: comments start with ';' or '//' and run
" to the end of the line, so that commenting commands and text formatting know them; gq and =
" lay lines out with vesk --format (g:vesk_command names the vesk to run, '' for none).
if exists('b:did_ftplugin')
  finish
endif
let b:did_ftplugin = 1

setlocal commentstring=;\ %s
setlocal comments=:;,://
let b:undo_ftplugin = 'setlocal commentstring< comments<'

let s:vesk = get(g:, 'vesk_command', 'vesk')
if s:vesk !=# '' && executable(s:vesk)
  let &l:formatprg = shellescape(s:vesk) . ' --format -'
  let &l:equalprg = &l:formatprg
  let b:undo_ftplugin .= ' | setlocal formatprg< equalprg<'
endif

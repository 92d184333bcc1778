" ftplugin/vesk.vim - editing settings for vesk scripts: comments start with ';' or '//' and run
" to the end of the line, so that commenting commands and text formatting know them.
if exists('b:did_ftplugin')
  finish
endif
let b:did_ftplugin = 1

setlocal commentstring=;\ %s
setlocal comments=:;,://
let b:undo_ftplugin = 'setlocal commentstring< comments<'

" ftdetect/vesk.vim - vesk scripts are the files ending in .vk; they get the filetype vesk,
" which loads syntax/vesk.vim, indent/vesk.vim and ftplugin/vesk.vim.
autocmd BufRead,BufNewFile *.vk setfiletype vesk

# Runs vimtest.vim in a headless Vim or Neovim and shows its report.
# Called as: cmake -DEDITOR=<vim or nvim> -DEDITORS=<editors/vim> -DTESTS=<tests/editors>
#                  -DREPORT=<report file> -DVESK=<vesk> -P runvim.cmake
if(NOT EDITOR)
  message(FATAL_ERROR "the editor was not found (Debian: apt-get install vim neovim)")
endif()
file(REMOVE ${REPORT})
execute_process(COMMAND ${EDITOR} -N -u NONE -i NONE -n -es --cmd "let g:editors = '${EDITORS}'"
                        --cmd "let g:tests = '${TESTS}'" --cmd "let g:report = '${REPORT}'"
                        --cmd "let g:vesk = '${VESK}'"
                        -S ${TESTS}/vimtest.vim
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err INPUT_FILE /dev/null)
set(report "(no report)")
if(EXISTS ${REPORT})
  file(READ ${REPORT} report)
endif()
message(STATUS "${report}")
if(NOT status EQUAL 0 OR NOT report MATCHES "^0 failures")
  message(FATAL_ERROR "${EDITOR} exited with ${status}\n${out}${err}")
endif()

# Runs neovim.lua in a headless Neovim and shows its report.
# Called as: cmake -DNEOVIM=<nvim> -DEDITORS=<editors/vim> -DVESK=<vesk> -DREPORT=<file>
#                  -P runneovim.cmake
if(NOT NEOVIM)
  message(FATAL_ERROR "Neovim was not found (Debian: apt-get install neovim)")
endif()
file(REMOVE ${REPORT})
execute_process(COMMAND ${NEOVIM} --headless -u NONE -i NONE -n --cmd "let g:editors = '${EDITORS}'"
                        --cmd "let g:vesk = '${VESK}'" --cmd "let g:report = '${REPORT}'"
                        -c "luafile ${CMAKE_CURRENT_LIST_DIR}/neovim.lua"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err INPUT_FILE /dev/null
                TIMEOUT 120)
set(report "(no report)")
if(EXISTS ${REPORT})
  file(READ ${REPORT} report)
endif()
message(STATUS "${report}")
if(NOT status EQUAL 0 OR NOT report MATCHES "^0 failures")
  message(FATAL_ERROR "${NEOVIM} exited with ${status}\n${out}${err}")
endif()

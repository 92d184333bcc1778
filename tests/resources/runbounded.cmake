# Runs one bounded-resources case (see resources.cmake): vesk NAME.vk in FOLDER under bash's
# ulimit with the options of NAME.ulimit, then compares output, diagnostics and exit status.
# Called as: cmake -DVESK=<vesk> -DFOLDER=<folder> -DNAME=<name> -P runbounded.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../expected.cmake)
# Diagnostics are compared byte for byte as the engine writes them: vesk converts its messages
# to UTF-8 in a UTF-8 locale.
set(ENV{LC_ALL} C)
set(base ${FOLDER}/${NAME})
file(STRINGS ${base}.ulimit limits)
execute_process(COMMAND bash -c "ulimit ${limits} && exec \"$0\" \"$1\"" ${VESK} ${NAME}.vk
                WORKING_DIRECTORY ${FOLDER}
                OUTPUT_VARIABLE actual_out
                ERROR_VARIABLE actual_err
                RESULT_VARIABLE actual_status
                INPUT_FILE /dev/null)

vesk_readexpected(${base})
vesk_compareexpected("${NAME}.vk under ulimit ${limits}")

# Runs one bounded-resources case (see resources.cmake): vesk NAME.vk in FOLDER under bash's
# ulimit with the options of NAME.ulimit, then compares output, diagnostics and exit status.
# Called as: cmake -DVESK=<vesk> -DFOLDER=<folder> -DNAME=<name> -P runbounded.cmake
set(base ${FOLDER}/${NAME})
file(STRINGS ${base}.ulimit limits)
execute_process(COMMAND bash -c "ulimit ${limits} && exec \"$0\" \"$1\"" ${VESK} ${NAME}.vk
                WORKING_DIRECTORY ${FOLDER}
                OUTPUT_VARIABLE actual_out
                ERROR_VARIABLE actual_err
                RESULT_VARIABLE actual_status
                INPUT_FILE /dev/null)

set(expected_err "")
set(expected_status 0)
file(READ ${base}.out expected_out)
if(EXISTS ${base}.err)
  file(READ ${base}.err expected_err)
endif()
if(EXISTS ${base}.status)
  file(STRINGS ${base}.status expected_status)
endif()

set(failed FALSE)
foreach(part out err status)
  if(NOT "${actual_${part}}" STREQUAL "${expected_${part}}")
    string(SUBSTRING "${actual_${part}}" 0 2000 shown)
    message("--- ${part} expected:\n${expected_${part}}\n--- ${part} actual:\n${shown}")
    set(failed TRUE)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "${NAME}.vk under ulimit ${limits}: output differs")
endif()

# Runs one golden script (see golden.cmake) and compares output, diagnostics and exit status.
# Called as: cmake -DVESK=<vesk> -DFOLDER=<folder> -DNAME=<name> -P rungolden.cmake
cmake_minimum_required(VERSION 3.25)
set(base ${FOLDER}/${NAME})
if(EXISTS ${base}.args)
  file(STRINGS ${base}.args arguments)
  # @FOLDER@ stands for the script's folder as an absolute path (for file-system tests that
  # need one, since deletefolder makes "/" the current directory).
  string(REPLACE "@FOLDER@" "${FOLDER}" arguments "${arguments}")
else()
  set(arguments ${NAME}.vk)
endif()
execute_process(COMMAND ${VESK} ${arguments}
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
    message("--- ${part} expected:\n${expected_${part}}\n--- ${part} actual:\n${actual_${part}}")
    set(failed TRUE)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "golden script ${NAME}.vk: output differs")
endif()

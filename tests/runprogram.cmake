# Runs an example program in a fresh folder: its standard output must equal the file EXPECTED,
# its standard error be empty and its exit status 0.
# Called as: cmake -DPROGRAM=<program> -DEXPECTED=<file> -DWORK=<folder>
#                  [-DEMULATOR=<wine> -DWINDOWS=1] -P runprogram.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/expected.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/windows/output.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${EMULATOR} ${PROGRAM} WORKING_DIRECTORY ${WORK}
                OUTPUT_VARIABLE actual_out ERROR_VARIABLE actual_err RESULT_VARIABLE actual_status
                INPUT_FILE /dev/null TIMEOUT 120)
vesk_plainlines(actual_out actual_err)
file(READ ${EXPECTED} expected_out)
set(expected_err "")
set(expected_status 0)
vesk_compareexpected("example ${PROGRAM}")

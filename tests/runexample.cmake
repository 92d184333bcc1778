# Runs one example script in a fresh folder that holds it alone: it must exit with status 0,
# write nothing to standard error and print exactly tests/examples/NAME.out.
# Called as: cmake -DVESK=<vesk> -DFOLDER=<examples folder> -DNAME=<name> -DEXPECTED=<NAME.out>
#           -DWORK=<scratch folder> [-DEMULATOR=<wine> -DWINDOWS=1] -P runexample.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/windows/output.cmake)
set(ENV{LC_ALL} C)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY_FILE ${FOLDER}/${NAME}.vk ${WORK}/${NAME}.vk)
execute_process(COMMAND ${EMULATOR} ${VESK} ${NAME}.vk WORKING_DIRECTORY ${WORK}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status INPUT_FILE /dev/null)
vesk_plainlines(out err)
if(WINDOWS)
  string(REPLACE "\\" "/" out "${out}") # listfolder prints the paths that the engine joins
endif()
file(READ ${EXPECTED} expected)
if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT out STREQUAL expected)
  message(FATAL_ERROR "example ${NAME}.vk: status ${status}\n--- standard error:\n${err}"
                      "--- standard output expected:\n${expected}--- actual:\n${out}")
endif()

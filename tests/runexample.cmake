# Runs one example script: it must succeed without a diagnostic on standard error.
# Called as: cmake -DVESK=<vesk> -DFOLDER=<folder> -DNAME=<name> [-DEMULATOR=<wine> -DWINDOWS=1]
#           -P runexample.cmake
execute_process(COMMAND ${EMULATOR} ${VESK} ${NAME}.vk WORKING_DIRECTORY ${FOLDER}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status INPUT_FILE /dev/null)
if(NOT status EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "example ${NAME}.vk: status ${status}\n${err}")
endif()

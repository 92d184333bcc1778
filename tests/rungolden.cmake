# Runs one golden script (see golden.cmake) and compares output, diagnostics and exit status.
# Called as: cmake -DVESK=<vesk> -DFOLDER=<folder> -DNAME=<name> [-DREFERENCE=1]
#           [-DEMULATOR=<wine> -DWINDOWS=1] -P rungolden.cmake
# With REFERENCE, vesk runs with the engine's shortcuts off (VESK_REFERENCE=1 in its
# environment): the plain way, against which the shortcuts are checked.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/expected.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/windows/output.cmake)
# Diagnostics are compared byte for byte as the engine writes them: vesk converts its messages
# to UTF-8 in a UTF-8 locale.
set(ENV{LC_ALL} C)
set(base ${FOLDER}/${NAME})
if(NOT EXISTS ${base}.out)
  message(FATAL_ERROR "${NAME}.vk has no ${NAME}.out and no other script calls it: a case "
                      "needs its expected output, a helper a script that calls it")
endif()
if(REFERENCE)
  set(ENV{VESK_REFERENCE} 1)
endif()
if(EXISTS ${base}.args)
  file(STRINGS ${base}.args arguments)
  # @FOLDER@ stands for the script's folder as an absolute path (for file-system tests that
  # need one, since deletefolder makes "/" the current directory); @SEP@ for the separator
  # with which the engine joins paths, so that scripts can compare the paths it composes.
  string(REPLACE "@FOLDER@" "${FOLDER}" arguments "${arguments}")
else()
  set(arguments ${NAME}.vk)
endif()
set(separator /)
if(WINDOWS)
  set(separator "\\")
endif()
# Each argument is quoted whole: a list element ending in '\' would swallow the ';' after it.
set(quoted "")
foreach(argument IN LISTS arguments)
  string(REPLACE "@SEP@" "${separator}" argument "${argument}")
  string(APPEND quoted " [==[${argument}]==]")
endforeach()
cmake_language(EVAL CODE "
  execute_process(COMMAND \${EMULATOR} \${VESK} ${quoted}
                  WORKING_DIRECTORY \${FOLDER}
                  OUTPUT_VARIABLE actual_out
                  ERROR_VARIABLE actual_err
                  RESULT_VARIABLE actual_status
                  INPUT_FILE /dev/null)")
vesk_plainlines(actual_out actual_err)

vesk_readexpected(${base})

# A test labelled `paths` prints paths that the engine composed: on Windows they are joined
# with '\' where the expected output, written once for every system, has '/'.
if(WINDOWS AND EXISTS ${base}.labels)
  file(STRINGS ${base}.labels labels)
  if("paths" IN_LIST labels)
    foreach(part out err)
      string(REPLACE "\\" "/" expected_${part} "${expected_${part}}")
      string(REPLACE "\\" "/" actual_${part} "${actual_${part}}")
    endforeach()
  endif()
endif()

vesk_compareexpected("golden script ${NAME}.vk")

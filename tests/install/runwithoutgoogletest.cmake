# Configures the project as on a fresh machine without GoogleTest (its find_package disabled):
# configuring must succeed without the test programs, say so in one line that names the
# package bringing them, and say whether line editing was found.
# Called as: cmake -DSOURCE=<tree> -DWORK=<scratch> -DGENERATOR=<gen> -DCXX=<compiler>
#           -P runwithoutgoogletest.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -G ${GENERATOR}
                        -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring without GoogleTest failed (${status}):\n${out}\n${err}")
endif()
if(NOT out MATCHES "GoogleTest not found, so no tests are built \\(Debian/Ubuntu: apt-get install libgtest-dev")
  message(FATAL_ERROR "no line says that the tests are left out and how to get them:\n${out}")
endif()
if(NOT out MATCHES "vesk: (no )?line editing")
  message(FATAL_ERROR "no line says whether line editing was found:\n${out}")
endif()
file(READ ${WORK}/build.ninja rules)
if(rules MATCHES "unit_tests")
  message(FATAL_ERROR "test programs are built without GoogleTest")
endif()
file(REMOVE_RECURSE ${WORK})

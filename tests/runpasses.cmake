# Runs tests/resources/passes/passes.vk under valgrind for two numbers of loop passes and fails
# unless both runs take the same number of heap allocations: a loop pass allocates nothing.
# Called as: cmake -DVALGRIND=<valgrind> -DVESK=<vesk> -DFOLDER=<folder> -P runpasses.cmake
cmake_minimum_required(VERSION 3.25)
set(counts "")
foreach(passes 100 1000)
  execute_process(COMMAND ${VALGRIND} --error-exitcode=3 --leak-check=no ${VESK} passes.vk n=${passes}
                  WORKING_DIRECTORY ${FOLDER}
                  OUTPUT_QUIET
                  ERROR_VARIABLE report
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "passes.vk n=${passes} under valgrind: status ${status}\n${report}")
  endif()
  if(NOT report MATCHES "total heap usage: ([0-9,]+) allocs")
    message(FATAL_ERROR "no heap summary from valgrind:\n${report}")
  endif()
  list(APPEND counts "${CMAKE_MATCH_1}")
endforeach()
list(GET counts 0 few)
list(GET counts 1 many)
if(NOT few STREQUAL many)
  message(FATAL_ERROR "100 passes took ${few} allocations, 1000 passes ${many}")
endif()
message(STATUS "${few} allocations for 100 and for 1000 passes")

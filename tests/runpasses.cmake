# Runs tests/resources/passes/passes.vk under valgrind for two numbers of loop passes and fails
# unless both runs take the same number of heap allocations: a loop pass allocates nothing. Each
# run must print what its passes compute (worked out here on its own), so that a loop that
# never ran, or ran other passes, cannot pass for one that allocates nothing.
# Called as: cmake -DVALGRIND=<valgrind> -DVESK=<vesk> -DFOLDER=<folder> -P runpasses.cmake
cmake_minimum_required(VERSION 3.25)

# What passes.vk prints after n passes: x, the loop variable after the loop, t, j, the two
# elements written (each written from the other row's first one), w and u.
function(passes_expected n out)
  set(x 0)
  foreach(i RANGE 1 ${n})
    math(EXPR x "${x} + ${i} % 7")
    if(x GREATER 10 AND i LESS n)
      math(EXPR x "${x} - 10")
    else()
      math(EXPR x "${x} + 1")
    endif()
    math(EXPR x "${x} + ${i} % 2") # _step k = i
  endforeach()
  math(EXPR after "${n} + 1")
  set(${out} "${x} ${after} pass ${n} 3 6 3 pass ${n}/3 \n" PARENT_SCOPE)
endfunction()

set(counts "")
foreach(passes 100 1000)
  execute_process(COMMAND ${VALGRIND} --error-exitcode=3 --leak-check=no ${VESK} passes.vk n=${passes}
                  WORKING_DIRECTORY ${FOLDER}
                  OUTPUT_VARIABLE printed
                  ERROR_VARIABLE report
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "passes.vk n=${passes} under valgrind: status ${status}\n${report}")
  endif()
  passes_expected(${passes} expected)
  if(NOT printed STREQUAL expected)
    message(FATAL_ERROR "passes.vk n=${passes} printed\n${printed}instead of\n${expected}")
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

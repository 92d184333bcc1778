# expected.cmake - the expectations of a script run and their comparison, shared by the runner
# of golden scripts (rungolden.cmake) and that of bounded-resources cases
# (resources/runbounded.cmake): NAME.out (standard output, exact bytes), NAME.err (standard
# error, empty when absent) and NAME.status (exit status, 0 when absent).

# Sets expected_out, expected_err and expected_status from the files of BASE (a path without
# extension).
macro(vesk_readexpected base)
  set(expected_err "")
  set(expected_status 0)
  file(READ ${base}.out expected_out)
  if(EXISTS ${base}.err)
    file(READ ${base}.err expected_err)
  endif()
  if(EXISTS ${base}.status)
    file(STRINGS ${base}.status expected_status)
  endif()
endmacro()

# Compares actual_out, actual_err and actual_status with the expectations, shows every part
# that differs (both cut to 2000 characters) and then fails, naming WHAT. A caller that has
# found a fault of its own sets `failed` to TRUE beforehand.
macro(vesk_compareexpected what)
  if(NOT failed)
    set(failed FALSE)
  endif()
  foreach(part out err status)
    if(NOT "${actual_${part}}" STREQUAL "${expected_${part}}")
      string(SUBSTRING "${expected_${part}}" 0 2000 want)
      string(SUBSTRING "${actual_${part}}" 0 2000 got)
      message("--- ${part} expected:\n${want}\n--- ${part} actual:\n${got}")
      set(failed TRUE)
    endif()
  endforeach()
  if(failed)
    message(FATAL_ERROR "${what}: output differs")
  endif()
endmacro()

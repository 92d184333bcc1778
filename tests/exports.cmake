# Checks that the shared library exports the interface of namespace vesk and nothing else: every
# dynamic symbol it defines must belong to one of the exported classes (interpreter, variable,
# variables, parameters, stack, allocater) or be vesk::version or vesk::setstorelimit; internal classes such as
# vesk::symbolizer, vesk::avltree or linearallocater must stay hidden.
# Called as: cmake -DLIBRARY=<libveskdll.so> -P exports.cmake
cmake_minimum_required(VERSION 3.25)

find_program(NM nm)
if(NOT NM)
  message(FATAL_ERROR "nm not found: cannot list the exported symbols")
endif()
execute_process(COMMAND ${NM} -D -C --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing ERROR_VARIABLE problem RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}: ${problem}")
endif()

set(classes "interpreter|variable|variables|parameters|stack|allocater")
set(allowed "^(vesk::(${classes})::|vesk::(version|setstorelimit)\\(|(typeinfo|typeinfo name|vtable) for vesk::(${classes})$)")
# Symbols the linker itself may define in a shared library.
set(linker "^(_init|_fini|_edata|_end|__bss_start)$")
set(internal "symbolizer|avltree|linearallocater|objlist|ctrlitem|family|token|errorqueue|findelement|builtins|platform")

string(REPLACE "\n" ";" lines "${listing}")
set(count 0)
set(bad "")
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  # "address type name" (the address may be missing for absolute symbols)
  if(NOT line MATCHES "^[0-9a-fA-F]* *[A-Za-z] (.*)$")
    string(APPEND bad "  unreadable line: ${line}\n")
    continue()
  endif()
  set(symbol "${CMAKE_MATCH_1}")
  math(EXPR count "${count} + 1")
  if(symbol MATCHES "${linker}")
    continue()
  endif()
  if(NOT symbol MATCHES "${allowed}")
    string(APPEND bad "  not of the interface: ${symbol}\n")
  elseif(symbol MATCHES "^[^(]*(${internal})")
    string(APPEND bad "  internal name: ${symbol}\n")
  endif()
endforeach()

if(count EQUAL 0)
  message(FATAL_ERROR "${LIBRARY} defines no dynamic symbols at all")
endif()
if(NOT "${listing}" MATCHES "vesk::interpreter::evaluate\\(char const\\*\\)")
  message(FATAL_ERROR "vesk::interpreter::evaluate is not exported by ${LIBRARY}")
endif()
if(bad)
  message(FATAL_ERROR "${LIBRARY} exports symbols beyond namespace vesk's interface:\n${bad}")
endif()
message(STATUS "${count} exported symbols, all of namespace vesk's interface")

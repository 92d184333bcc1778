# Bounded resources: scripts that vesk runs under a ulimit, with the options of bash's ulimit in
# NAME.ulimit ("-s 320": 320 KB of native stack; "-v 65536": 64 MB of address space), compared
# as golden scripts are (NAME.out, NAME.err, NAME.status). A NAME.pending file registers the case
# disabled and says why: it states behaviour the engine does not have yet. The sanitizers reserve
# terabytes of shadow memory, so cases with an address-space cap are left out of their builds.
file(GLOB RESOURCE_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.vk)
foreach(script ${RESOURCE_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  set(base ${CMAKE_CURRENT_LIST_DIR}/${name})
  if(NOT EXISTS ${base}.out OR NOT EXISTS ${base}.ulimit)
    continue() # a helper that other scripts call
  endif()
  file(STRINGS ${base}.ulimit limits)
  if(VESK_SANITIZE AND limits MATCHES "-v")
    continue()
  endif()
  add_test(NAME resources/${name}
           COMMAND ${CMAKE_COMMAND} -DVESK=$<TARGET_FILE:vesk> -DFOLDER=${CMAKE_CURRENT_LIST_DIR}
                   -DNAME=${name} -P ${CMAKE_CURRENT_LIST_DIR}/runbounded.cmake)
  set_tests_properties(resources/${name} PROPERTIES TIMEOUT 120 LABELS "resources;posix")
  if(EXISTS ${base}.pending)
    set_tests_properties(resources/${name} PROPERTIES DISABLED TRUE)
  endif()
endforeach()

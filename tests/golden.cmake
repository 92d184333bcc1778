# Golden scripts: every tests/scripts/**/NAME.vk that has NAME.out beside it is a test. vesk
# runs it in its own folder (arguments from NAME.args, one per line, where @FOLDER@ stands for
# that folder's absolute path; else just NAME.vk); its standard output must equal NAME.out,
# its standard error NAME.err (empty when absent) and its exit status NAME.status (0 when
# absent). Scripts without .out are helpers called by others.
file(GLOB_RECURSE GOLDEN_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/scripts/*.vk)
foreach(script ${GOLDEN_SCRIPTS})
  get_filename_component(folder ${script} DIRECTORY)
  get_filename_component(name ${script} NAME_WE)
  if(NOT EXISTS ${folder}/${name}.out)
    continue()
  endif()
  file(RELATIVE_PATH id ${CMAKE_CURRENT_SOURCE_DIR}/scripts ${folder}/${name})
  add_test(NAME golden/${id}
           COMMAND ${CMAKE_COMMAND} -DVESK=$<TARGET_FILE:vesk> -DFOLDER=${folder} -DNAME=${name}
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/rungolden.cmake)
  set_tests_properties(golden/${id} PROPERTIES TIMEOUT 120 LABELS golden)
  if(EXISTS ${folder}/${name}.labels)
    file(STRINGS ${folder}/${name}.labels extra)
    set_property(TEST golden/${id} APPEND PROPERTY LABELS ${extra})
  endif()
endforeach()

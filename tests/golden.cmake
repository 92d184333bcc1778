# Golden scripts: every tests/scripts/**/NAME.vk that has NAME.out beside it is a test. vesk
# runs it in its own folder (arguments from NAME.args, one per line, where @FOLDER@ stands for
# that folder's absolute path and @SEP@ for the separator with which the engine joins paths;
# else just NAME.vk); its standard output must equal NAME.out, its standard error NAME.err
# (empty when absent) and its exit status NAME.status (0 when absent). Scripts without .out
# are helpers called by others. The Windows build adds tests/windows/scripts (golden/windows/).
function(vesk_golden_scripts root prefix)
  file(GLOB_RECURSE scripts CONFIGURE_DEPENDS ${root}/*.vk)
  foreach(script ${scripts})
    get_filename_component(folder ${script} DIRECTORY)
    get_filename_component(name ${script} NAME_WE)
    if(NOT EXISTS ${folder}/${name}.out)
      continue()
    endif()
    file(RELATIVE_PATH id ${root} ${folder}/${name})
    add_test(NAME ${prefix}${id}
             COMMAND ${CMAKE_COMMAND} -DVESK=$<TARGET_FILE:vesk> -DFOLDER=${folder} -DNAME=${name}
                     ${VESK_RUNNER_TARGET} -P ${CMAKE_CURRENT_SOURCE_DIR}/rungolden.cmake)
    set_tests_properties(${prefix}${id} PROPERTIES TIMEOUT 120 LABELS golden)
    if(EXISTS ${folder}/${name}.labels)
      file(STRINGS ${folder}/${name}.labels extra)
      set_property(TEST ${prefix}${id} APPEND PROPERTY LABELS ${extra})
    endif()
  endforeach()
endfunction()

vesk_golden_scripts(${CMAKE_CURRENT_SOURCE_DIR}/scripts golden/)
if(WIN32)
  vesk_golden_scripts(${CMAKE_CURRENT_SOURCE_DIR}/windows/scripts golden/windows/)
endif()

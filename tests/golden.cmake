# Golden scripts: every tests/scripts/**/NAME.vk that has NAME.out beside it is a test. vesk
# runs it in its own folder (arguments from NAME.args, one per line, where @FOLDER@ stands for
# that folder's absolute path and @SEP@ for the separator with which the engine joins paths;
# else just NAME.vk); its standard output must equal NAME.out, its standard error NAME.err
# (empty when absent) and its exit status NAME.status (0 when absent). Scripts without .out
# are helpers called by others: one that no other script or .args file of its area (the first
# folder below the root) names is taken for a case whose .out was forgotten, and its test
# fails. Each case runs a second time with the engine's shortcuts off (reference/golden/...),
# unless NAME.labels has `fastonly`: it needs a shortcut's speed (the reference way copies a list
# on every append, which makes its growth quadratic), or it shows what the shortcuts make (the
# listings of compiled lines, whose quick tier calls numbers-only forms of functions). The Windows build adds
# tests/windows/scripts (golden/windows/).

# Whether the script `script` is named, as a whole word, by another script (outside its
# comments) or an .args file of `area`.
function(vesk_golden_called script area result)
  get_filename_component(name ${script} NAME_WE)
  file(GLOB_RECURSE others ${area}/*.vk ${area}/*.args)
  list(REMOVE_ITEM others ${script})
  foreach(other ${others})
    file(READ ${other} text)
    if(other MATCHES "\\.vk$")
      string(REGEX REPLACE "(;|//)[^\n]*" "" text "${text}")
    endif()
    if(text MATCHES "(^|[^A-Za-z0-9_])${name}([^A-Za-z0-9_]|$)")
      set(${result} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${result} FALSE PARENT_SCOPE)
endfunction()

function(vesk_golden_scripts root prefix)
  file(GLOB_RECURSE scripts CONFIGURE_DEPENDS ${root}/*.vk)
  foreach(script ${scripts})
    get_filename_component(folder ${script} DIRECTORY)
    get_filename_component(name ${script} NAME_WE)
    file(RELATIVE_PATH id ${root} ${folder}/${name})
    if(NOT EXISTS ${folder}/${name}.out)
      set(area ${root})
      if(id MATCHES "^([^/]+)/")
        set(area ${root}/${CMAKE_MATCH_1})
      endif()
      vesk_golden_called(${script} ${area} called)
      if(called)
        continue()
      endif()
    endif()
    set(extra "")
    if(EXISTS ${folder}/${name}.labels)
      file(STRINGS ${folder}/${name}.labels extra)
    endif()
    set(ways plain reference)
    if("fastonly" IN_LIST extra)
      set(ways plain) # it needs a shortcut's speed
    endif()
    foreach(way ${ways})
      set(test ${prefix}${id})
      set(switch "")
      set(labels golden)
      if(way STREQUAL "reference")
        # Once more with every shortcut of the engine off: the plain way must print the same.
        set(test reference/${prefix}${id})
        set(switch -DREFERENCE=1)
        list(APPEND labels reference)
      endif()
      list(APPEND labels ${extra})
      add_test(NAME ${test}
               COMMAND ${CMAKE_COMMAND} -DVESK=$<TARGET_FILE:vesk> -DFOLDER=${folder} -DNAME=${name}
                       ${switch} ${VESK_RUNNER_TARGET} -P ${CMAKE_CURRENT_SOURCE_DIR}/rungolden.cmake)
      # The two ways run in the same folder, where some scripts make and delete files: one at a
      # time.
      set_tests_properties(${test} PROPERTIES TIMEOUT 120 LABELS "${labels}"
                                              RESOURCE_LOCK golden/${id})
    endforeach()
  endforeach()
endfunction()

vesk_golden_scripts(${CMAKE_CURRENT_SOURCE_DIR}/scripts golden/)
if(WIN32)
  vesk_golden_scripts(${CMAKE_CURRENT_SOURCE_DIR}/windows/scripts golden/windows/)
endif()

# Bad-input tests of the vesk command whose scripts are too large for the repository: each is
# generated at test time into the build folder by runlimit.cmake. The files of a million lines
# carry the label stress (left out of the sanitizer preset). Also: the usage text of -h/--help,
# and that the shared library exports nothing but namespace vesk (exports.cmake).
set(VESK_LIMIT_CASES
    nest100k_parens nest100k_call nest100k_lists nest100k_index nest100k_prefix nest100k_try
    longline_string longline_comment longline_name longline_unknown longline_arguments
    longline_list help)
set(VESK_STRESS_CASES million_statements million_empty_lines million_lines_error)

foreach(case ${VESK_LIMIT_CASES} ${VESK_STRESS_CASES})
  add_test(NAME limits/${case}
           COMMAND ${CMAKE_COMMAND} -DVESK=$<TARGET_FILE:vesk>
                   -DWORKDIR=${CMAKE_CURRENT_BINARY_DIR}/limits/${case} -DCASE=${case}
                   ${VESK_RUNNER_TARGET} -P ${CMAKE_CURRENT_SOURCE_DIR}/runlimit.cmake)
  set_tests_properties(limits/${case} PROPERTIES TIMEOUT 600 LABELS limits)
endforeach()
foreach(case ${VESK_STRESS_CASES})
  set_property(TEST limits/${case} APPEND PROPERTY LABELS stress)
endforeach()

add_test(NAME exports/veskdll
         COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:veskdll> -DFAULTS=${VESK_ALLOCFAULTS} -P
                 ${CMAKE_CURRENT_SOURCE_DIR}/exports.cmake)

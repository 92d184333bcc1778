# The examples of the reference documents (docs/language.md, docs/embedding.md) are tests, so
# that they cannot rot. Conventions in the documents:
#   ```vk followed by ```output   a script: vesk runs it in a fresh folder as example.vk (or as
#                                 NAME.vk when its first line is "; file: NAME.vk") and its
#                                 standard output must equal the output block
#   ```vk "; file: NAME.vk"       with no output block: a script that the next example calls;
#                                 it is written beside that example
#   ```cpp "// example: NAME"     a whole host program: built against libveskdll, run in a
#                                 fresh folder, its standard output compared with the
#                                 ```output block after it
#   ```cpp "// extension: NAME"   an extension library, built as the module NAME.so and copied
#                                 beside every example program before it runs
#   ```sh followed by ```output  a command: run by sh in a fresh folder holding the helper
#                                 scripts written since the example before it, with the vesk
#                                 under test first in PATH; the folder's path reads /path/to.
#                                 With --profile, times are compared as "#", lines unordered
#   ```stderr right after an output block: standard error must equal it (else it must be empty)
#   ```status after those: the exit status it holds (else the example must exit with 0)
# Other blocks are illustrations and are not run. One test runs all scripts of a document
# (docs/<document>); each program is a test of its own (docs/<document>/<NAME>). Label: docs.
include(${CMAKE_CURRENT_LIST_DIR}/rundocs-blocks.cmake)

set(VESK_DOCS_WORK ${CMAKE_CURRENT_BINARY_DIR}/docs)
set(VESK_DOCS_MODULES ${VESK_DOCS_WORK}/modules)

foreach(document language embedding)
  set(doc ${PROJECT_SOURCE_DIR}/docs/${document}.md)
  if(NOT EXISTS ${doc})
    continue()
  endif()
  # Editing a document configures again, so that its programs are extracted anew.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${doc})
  docs_blocks(${doc} docblock)
  set(scripts FALSE)
  set(programs "")
  if(docblock_count GREATER 0)
    math(EXPR last "${docblock_count} - 1")
    foreach(i RANGE 0 ${last})
      math(EXPR next "${i} + 1")
      set(followed FALSE)
      if(next LESS docblock_count AND "${docblock_${next}_info}" STREQUAL "output"
         AND docblock_${next}_joined)
        set(followed TRUE)
      endif()
      if("${docblock_${i}_info}" STREQUAL "vk" AND followed)
        set(scripts TRUE)
      elseif("${docblock_${i}_info}" STREQUAL "cpp")
        docs_firstlinename("${docblock_${i}_body}" "// example:" example)
        docs_firstlinename("${docblock_${i}_body}" "// extension:" extension)
        set(name "${example}${extension}")
        if(NOT "${name}" STREQUAL "")
          # Written through configure_file so that an unchanged example is not built again.
          set(source ${VESK_DOCS_WORK}/sources/${document}_${name}.cpp)
          file(WRITE ${source}.new "${docblock_${i}_body}")
          configure_file(${source}.new ${source} COPYONLY)
        endif()
        if(NOT "${example}" STREQUAL "")
          add_executable(docs_${document}_${example} ${source})
          target_link_libraries(docs_${document}_${example} PRIVATE veskdll)
          list(APPEND programs ${example})
        elseif(NOT "${extension}" STREQUAL "")
          add_library(docs_${document}_${extension} MODULE ${source})
          target_link_libraries(docs_${document}_${extension} PRIVATE veskdll)
          set_target_properties(docs_${document}_${extension}
                                PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME ${extension}
                                           LIBRARY_OUTPUT_DIRECTORY ${VESK_DOCS_MODULES})
          # A Windows DLL exports its entry points under their decorated names, through the
          # .def file of the test extensions that use the same export macro.
          string(REGEX MATCH "VESK_EXPORT_(RUN|MODULES)" macro "${docblock_${i}_body}")
          if(WIN32 AND macro)
            string(TOLOWER "${CMAKE_MATCH_1}" exports)
            target_sources(docs_${document}_${extension}
                           PRIVATE ${CMAKE_CURRENT_LIST_DIR}/extensions/${exports}.def)
          endif()
        endif()
      endif()
    endforeach()
  endif()
  if(scripts)
    add_test(NAME docs/${document}
             COMMAND ${CMAKE_COMMAND} -DVESK=$<TARGET_FILE:vesk> -DDOC=${doc}
                     -DWORK=${VESK_DOCS_WORK}/${document} ${VESK_RUNNER_TARGET}
                     -P ${CMAKE_CURRENT_LIST_DIR}/rundocs.cmake)
    set_tests_properties(docs/${document} PROPERTIES LABELS docs TIMEOUT 600)
    if(document STREQUAL "language")
      # Its file-system example shows the paths of a POSIX system ('/', /usr/share/fonts).
      set_property(TEST docs/${document} APPEND PROPERTY LABELS posix)
    endif()
  endif()
  foreach(example ${programs})
    add_test(NAME docs/${document}/${example}
             COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:docs_${document}_${example}>
                     -DSOURCE=${VESK_DOCS_WORK}/sources/${document}_${example}.cpp
                     -DNAME=${example} -DDOC=${doc} -DWORK=${VESK_DOCS_WORK}/${document}-programs
                     -DMODULES=${VESK_DOCS_MODULES} ${VESK_RUNNER_TARGET}
                     -P ${CMAKE_CURRENT_LIST_DIR}/rundocs.cmake)
    set_tests_properties(docs/${document}/${example} PROPERTIES LABELS docs TIMEOUT 120)
  endforeach()
endforeach()

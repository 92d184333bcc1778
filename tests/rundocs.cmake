# rundocs.cmake - runs the examples of a reference document and compares what they print with
# the document (see docs.cmake for the conventions). Two modes:
#   scripts: cmake -DVESK=<vesk> -DDOC=<doc.md> -DWORK=<folder> -P rundocs.cmake
#            runs every ```vk block that is immediately followed by an ```output block
#   program: cmake -DPROGRAM=<executable> -DSOURCE=<its extracted .cpp> -DNAME=<example>
#                  -DDOC=<doc.md> -DWORK=<folder> [-DMODULES=<folder>] -P rundocs.cmake
#            runs the program built from the ```cpp block "// example: <NAME>"
# Standard output must equal the ```output block byte for byte. When a ```stderr block follows
# the output block, standard error must equal it; otherwise standard error must be empty. The
# exit status must be 0, or the number in a ```status block after those blocks.
# Each example runs in a fresh folder that holds the ```vk blocks "; file: NAME.vk" written
# since the example before it (and, for programs, the extension modules in MODULES).
# Either mode takes -DEMULATOR=<wine> -DWINDOWS=1 for the Windows programs of a cross build.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/rundocs-blocks.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/windows/output.cmake)
# Diagnostics are compared byte for byte as the engine writes them: vesk converts its messages
# to UTF-8 in a UTF-8 locale.
set(ENV{LC_ALL} C)

get_filename_component(docname "${DOC}" NAME)
docs_blocks("${DOC}" block)

# For the code block `i`: whether an output block follows (found), its text (stdout), whether
# a stderr block follows that (errset) with its text (stderr), and the exit status (status: 0,
# or the number of a status block after them).
function(docs_expected i)
  set(found FALSE)
  set(errset FALSE)
  set(out "")
  set(err "")
  set(code 0)
  math(EXPR j "${i} + 1")
  if(j LESS block_count AND "${block_${j}_info}" STREQUAL "output" AND block_${j}_joined)
    set(found TRUE)
    set(out "${block_${j}_body}")
    math(EXPR j "${j} + 1")
    if(j LESS block_count AND "${block_${j}_info}" STREQUAL "stderr" AND block_${j}_joined)
      set(errset TRUE)
      set(err "${block_${j}_body}")
      math(EXPR j "${j} + 1")
    endif()
    if(j LESS block_count AND "${block_${j}_info}" STREQUAL "status" AND block_${j}_joined)
      string(STRIP "${block_${j}_body}" code)
      if(NOT code MATCHES "^[0-9]+$")
        message(FATAL_ERROR "${docname}:${block_${j}_line}: a status block holds one number")
      endif()
    endif()
  endif()
  set(found ${found} PARENT_SCOPE)
  set(stdout "${out}" PARENT_SCOPE)
  set(errset ${errset} PARENT_SCOPE)
  set(stderr "${err}" PARENT_SCOPE)
  set(status ${code} PARENT_SCOPE)
endfunction()

# A fresh folder for one example, with the helper scripts (block indices in `helpers`).
function(docs_prepare folder helpers)
  file(REMOVE_RECURSE "${folder}")
  file(MAKE_DIRECTORY "${folder}")
  foreach(h ${helpers})
    docs_firstlinename("${block_${h}_body}" "; file:" helpername)
    file(WRITE "${folder}/${helpername}" "${block_${h}_body}")
  endforeach()
endfunction()

# Compares what an example printed, and its exit status (a number, or the text with which
# execute_process reports a crash or a time-out), with the document; counts and explains a
# difference.
set(failures 0)
function(docs_compare where actualout actualerr actualstatus)
  set(problems "")
  if(NOT "${actualstatus}" STREQUAL "${status}")
    string(APPEND problems "--- exit status expected ${status}, actual: ${actualstatus}\n")
  endif()
  if(NOT "${actualout}" STREQUAL "${stdout}")
    string(APPEND problems "--- standard output expected:\n${stdout}--- actual:\n${actualout}")
  endif()
  if(NOT "${actualerr}" STREQUAL "${stderr}")
    if(errset)
      string(APPEND problems "--- standard error expected:\n${stderr}--- actual:\n${actualerr}")
    else()
      string(APPEND problems "--- standard error expected empty, actual:\n${actualerr}")
    endif()
  endif()
  if(NOT "${problems}" STREQUAL "")
    message("${where}: the example prints something else than the document says\n${problems}")
    math(EXPR n "${failures} + 1")
    set(failures ${n} PARENT_SCOPE)
  endif()
endfunction()

if(block_count EQUAL 0)
  message(FATAL_ERROR "${DOC}: no code blocks found")
endif()
math(EXPR lastblock "${block_count} - 1")

if(DEFINED PROGRAM)
  # The example's block, the helper scripts written since the example before it, and the
  # check that the program was built from the block as it stands now.
  set(helpers "")
  set(index -1)
  foreach(i RANGE 0 ${lastblock})
    set(info "${block_${i}_info}")
    if("${info}" STREQUAL "vk")
      docs_firstlinename("${block_${i}_body}" "; file:" helpername)
      docs_expected(${i})
      if(found)
        set(helpers "")
      elseif(NOT "${helpername}" STREQUAL "")
        list(APPEND helpers ${i})
      endif()
    elseif("${info}" STREQUAL "cpp")
      docs_firstlinename("${block_${i}_body}" "// example:" example)
      if("${example}" STREQUAL "${NAME}")
        set(index ${i})
        break()
      elseif(NOT "${example}" STREQUAL "")
        set(helpers "")
      endif()
    endif()
  endforeach()
  if(index EQUAL -1)
    message(FATAL_ERROR "${DOC}: no ```cpp block starts with // example: ${NAME}")
  endif()
  set(where "${docname}:${block_${index}_line} (${NAME})")
  file(READ "${SOURCE}" built)
  if(NOT "${built}" STREQUAL "${block_${index}_body}")
    message(FATAL_ERROR "${where}: the document changed since the example was built: build again")
  endif()
  docs_expected(${index})
  if(NOT found)
    message(FATAL_ERROR "${where}: no ```output block follows the example")
  endif()
  set(folder "${WORK}/${NAME}")
  docs_prepare("${folder}" "${helpers}")
  if(DEFINED MODULES AND IS_DIRECTORY "${MODULES}")
    file(GLOB modules "${MODULES}/*")
    if(modules)
      file(COPY ${modules} DESTINATION "${folder}")
    endif()
  endif()
  execute_process(COMMAND ${EMULATOR} "${PROGRAM}" WORKING_DIRECTORY "${folder}" OUTPUT_VARIABLE out
                  ERROR_VARIABLE err RESULT_VARIABLE result INPUT_FILE /dev/null TIMEOUT 60)
  vesk_plainlines(out err)
  docs_compare("${where}" "${out}" "${err}" "${result}")
  if(failures GREATER 0)
    message(FATAL_ERROR "${where}: the program differs from the document")
  endif()
  return()
endif()

# A command example's texts as far as they stay the same from run to run: with --profile,
# times and shares become "#", blanks are folded and the lines sorted.
function(docs_stable command text out)
  if(NOT "${command}" MATCHES "--profile")
    set(${out} "${text}" PARENT_SCOPE)
    return()
  endif()
  string(REGEX REPLACE "[0-9]+\\.[0-9]+" "#" text "${text}")
  string(REGEX REPLACE " +" " " text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  list(SORT lines)
  list(JOIN lines "\n" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A command example: the sh block's command runs in a fresh folder with the helper scripts,
# `vesk` being the one under test; the folder's path reads /path/to in what it prints.
function(docs_command i folder)
  get_filename_component(bin "${VESK}" DIRECTORY)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "PATH=${bin}:$ENV{PATH}" sh -c
                          "${block_${i}_body}" WORKING_DIRECTORY "${folder}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result
                  INPUT_FILE /dev/null TIMEOUT 60)
  string(REPLACE "${folder}" "/path/to" out "${out}")
  string(REPLACE "${folder}" "/path/to" err "${err}")
  docs_stable("${block_${i}_body}" "${out}" out)
  docs_stable("${block_${i}_body}" "${err}" err)
  docs_stable("${block_${i}_body}" "${stdout}" stdout)
  docs_stable("${block_${i}_body}" "${stderr}" stderr)
  docs_compare("${docname}:${block_${i}_line}" "${out}" "${err}" "${result}")
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# Scripts: every vk block with an output block after it, in document order; and every sh
# block with one, a command run on the helper scripts before it (not in the Windows build).
set(helpers "")
set(examples 0)
foreach(i RANGE 0 ${lastblock})
  if("${block_${i}_info}" STREQUAL "sh")
    docs_expected(${i})
    if(found AND NOT WINDOWS)
      set(folder "${WORK}/line${block_${i}_line}")
      docs_prepare("${folder}" "${helpers}")
      docs_command(${i} "${folder}")
      math(EXPR examples "${examples} + 1")
    endif()
    continue() # the helpers stay for the commands and the script after it
  endif()
  if("${block_${i}_info}" STREQUAL "cpp")
    docs_firstlinename("${block_${i}_body}" "// example:" example)
    if(NOT "${example}" STREQUAL "")
      set(helpers "") # helpers written before a program belong to it
    endif()
  endif()
  if(NOT "${block_${i}_info}" STREQUAL "vk")
    continue()
  endif()
  docs_firstlinename("${block_${i}_body}" "; file:" scriptname)
  docs_expected(${i})
  if(NOT found)
    if(NOT "${scriptname}" STREQUAL "")
      list(APPEND helpers ${i})
    endif()
    continue()
  endif()
  if("${scriptname}" STREQUAL "")
    set(scriptname example.vk)
  endif()
  set(where "${docname}:${block_${i}_line}")
  set(folder "${WORK}/line${block_${i}_line}")
  docs_prepare("${folder}" "${helpers}")
  set(helpers "")
  file(WRITE "${folder}/${scriptname}" "${block_${i}_body}")
  execute_process(COMMAND ${EMULATOR} "${VESK}" "${scriptname}" WORKING_DIRECTORY "${folder}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result
                  INPUT_FILE /dev/null TIMEOUT 60)
  vesk_plainlines(out err)
  docs_compare("${where}" "${out}" "${err}" "${result}")
  math(EXPR examples "${examples} + 1")
endforeach()

if(examples EQUAL 0)
  message(FATAL_ERROR "${DOC}: no ```vk example with an ```output block to run")
endif()
if(failures GREATER 0)
  message(FATAL_ERROR "${docname}: ${failures} of ${examples} examples differ from the document")
endif()
message("${docname}: all ${examples} examples print what the document says")

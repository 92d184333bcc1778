# Runs one fuzz target for SECONDS seconds on WORKDIR/corpus (kept between runs, so that local
# runs build on each other) and on seeds copied from the golden scripts (with the scripts beside
# them that they call) and from INPUTS (inputs of several script files, see scriptfiles.h), with
# the language's
# words as a dictionary (vesk.dict), in an empty working folder so that no name in a fuzzed
# text finds a script file. Any finding fails the test: the report is shown and the input that
# caused it is left in WORKDIR/artifacts. A target that counts its inputs (differential) has
# the count shown, and fails when it compared less than half of them in full.
# Called as: cmake -DFUZZER=<target> -DSEEDS=<folder> -DINPUTS=<folder> -DWORKDIR=<folder>
#                  -DSECONDS=<n> [-DDICTIONARY=<file>] -P runfuzz.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT DICTIONARY)
  set(DICTIONARY ${CMAKE_CURRENT_LIST_DIR}/vesk.dict)
endif()

set(maxseedbytes 65536) # larger scripts (bad-input tests) would only slow the fuzzer down
set(maxlen 8192)        # longest input the fuzzer makes
set(unittimeout 10)     # seconds one input may take before it counts as a hang
set(rsslimit 2048)      # megabytes the process may hold before it counts as out of memory

foreach(folder corpus seeds artifacts run)
  file(MAKE_DIRECTORY ${WORKDIR}/${folder})
endforeach()

# The helpers beside `script` (scripts without expected output, which golden scripts call)
# that its text names, appended as files of the input (a line "#file NAME", then the helper):
# `calls` is empty when it names none.
function(callees script calls)
  file(READ ${script} text)
  get_filename_component(folder ${script} DIRECTORY)
  file(GLOB siblings ${folder}/*.vk)
  set(appended "")
  foreach(sibling ${siblings})
    get_filename_component(name ${sibling} NAME_WE)
    if(EXISTS ${folder}/${name}.out OR NOT name MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      continue()
    endif()
    string(REGEX MATCH "(^|[^A-Za-z0-9_])${name}([^A-Za-z0-9_]|$)" named "${text}")
    if(NOT named STREQUAL "")
      file(READ ${sibling} called)
      string(APPEND appended "\n#file ${name}\n${called}")
    endif()
  endforeach()
  set(${calls} "${appended}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE scripts ${SEEDS}/*.vk)
set(seeded 0)
set(calling 0)
foreach(script ${scripts})
  file(SIZE ${script} bytes)
  if(bytes GREATER maxseedbytes)
    continue()
  endif()
  file(RELATIVE_PATH relative ${SEEDS} ${script})
  string(REPLACE "/" "_" flat ${relative})
  callees(${script} calls)
  if(calls STREQUAL "")
    file(COPY_FILE ${script} ${WORKDIR}/seeds/${flat} ONLY_IF_DIFFERENT)
  else()
    file(READ ${script} text)
    file(WRITE ${WORKDIR}/seeds/${flat} "${text}${calls}")
    math(EXPR calling "${calling} + 1")
  endif()
  math(EXPR seeded "${seeded} + 1")
endforeach()
file(GLOB inputs ${INPUTS}/*)
foreach(input ${inputs})
  get_filename_component(name ${input} NAME)
  file(COPY_FILE ${input} ${WORKDIR}/seeds/input_${name} ONLY_IF_DIFFERENT)
endforeach()
list(LENGTH inputs given)
message("seeds: ${seeded} golden scripts (${calling} with the scripts they call), ${given} inputs "
        "of several scripts")

# Standard output is closed (-close_fd_mask=1): dump and parallel blocks write there.
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -max_len=${maxlen}
                        -dict=${DICTIONARY}
                        -timeout=${unittimeout} -rss_limit_mb=${rsslimit} -close_fd_mask=1
                        -print_final_stats=1 -artifact_prefix=${WORKDIR}/artifacts/
                        ${WORKDIR}/corpus ${WORKDIR}/seeds
                WORKING_DIRECTORY ${WORKDIR}/run
                RESULT_VARIABLE status
                ERROR_VARIABLE report
                OUTPUT_QUIET)
file(WRITE ${WORKDIR}/fuzz.log "${report}")

# The summary: the status lines after the seeds and at the end (coverage, features, corpus,
# speed) and the final stats.
string(REGEX MATCH "#[0-9]+\tINITED [^\n]*" first "${report}")
string(REGEX MATCH "#[0-9]+\tDONE [^\n]*" last "${report}")
string(REGEX MATCHALL "stat::[a-z_]+: +[0-9]+" stats "${report}")
string(REPLACE ";" "\n" stats "${stats}")
# A target's own count of what became of the inputs (differential: those compared and dropped).
string(REGEX MATCH "\n[a-z]+: [0-9]+ inputs[^\n]*" tally "${report}")
message("${first}\n${last}\n${stats}${tally}")
# A differential target that compares less than half of its inputs in full tests little.
if(tally MATCHES ": ([0-9]+) inputs, ([0-9]+) compared in full")
  math(EXPR half "${CMAKE_MATCH_1} / 2")
  if(CMAKE_MATCH_2 LESS half)
    message(FATAL_ERROR "${FUZZER} compared only ${CMAKE_MATCH_2} of ${CMAKE_MATCH_1} inputs in full")
  endif()
endif()

if(NOT status EQUAL 0)
  # The finding's report is at the end; the progress lines before it can run long.
  string(LENGTH "${report}" length)
  set(from 0)
  if(length GREATER 20000)
    math(EXPR from "${length} - 20000")
  endif()
  string(SUBSTRING "${report}" ${from} -1 tail)
  file(GLOB findings ${WORKDIR}/artifacts/*)
  message("${tail}")
  message(FATAL_ERROR "fuzzer ${FUZZER} found a failure (status ${status}): ${findings}")
endif()

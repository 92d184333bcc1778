# Builds the VS Code extension's .vsix with vsce and checks what it holds: the manifest, the
# code that starts the language server with the language client it depends on, the grammar,
# language configuration, snippets and debugger script that it names, each equal to its
# source, the debugger of type vesk with breakpoints in vesk files, and the snippets valid
# JSON. The extension is copied to a scratch folder where npm installs its dependencies, as a
# developer does before packaging.
# Called as: cmake -DVSCE=<vsce> -DNPM=<npm> -DEXTENSION=<editors/vscode> -DWORK=<scratch folder>
#   -P vsix.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/unpacked)
set(vsix ${WORK}/vesk.vsix)
file(COPY ${EXTENSION}/ DESTINATION ${WORK}/extension)
set(EXTENSION ${WORK}/extension)
execute_process(COMMAND ${NPM} install --omit=dev --no-audit --no-fund --ignore-scripts
                        --no-package-lock
                WORKING_DIRECTORY ${EXTENSION} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err INPUT_FILE /dev/null)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "npm install of the extension's dependencies failed (${status}):\n${out}${err}")
endif()
# The extension has no license of its own and no repository link yet: vsce asks about both
# unless told to go on.
execute_process(COMMAND ${VSCE} package --out ${vsix} --allow-missing-repository --skip-license
                WORKING_DIRECTORY ${EXTENSION} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err INPUT_FILE /dev/null)
message(STATUS "${out}${err}")
if(NOT status EQUAL 0 OR NOT EXISTS ${vsix})
  message(FATAL_ERROR "vsce package failed (${status})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${vsix} WORKING_DIRECTORY ${WORK}/unpacked
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the .vsix cannot be unpacked (${status})")
endif()

# A file the manifest names (as "./path") must be in the package as it is in the sources.
function(packaged path)
  string(REGEX REPLACE "^\\./" "" path "${path}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXTENSION}/${path}
                          ${WORK}/unpacked/extension/${path} RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "the .vsix lacks ${path} or holds another one")
  endif()
endfunction()

packaged(package.json)
file(READ ${EXTENSION}/package.json manifest)
string(JSON main GET "${manifest}" main)
foreach(code ${main} server.js node_modules/vscode-languageclient/package.json)
  packaged(${code})
endforeach()
string(JSON language GET "${manifest}" contributes languages 0 id)
string(JSON extensions GET "${manifest}" contributes languages 0 extensions)
if(NOT language STREQUAL "vesk" OR NOT extensions STREQUAL "[ \".vk\" ]")
  message(FATAL_ERROR "the manifest gives the language '${language}' to ${extensions}")
endif()
foreach(contribution "languages 0 configuration" "grammars 0 path" "snippets 0 path")
  separate_arguments(keys UNIX_COMMAND "${contribution}")
  string(JSON path GET "${manifest}" contributes ${keys})
  packaged(${path})
endforeach()

# The debugger: the script that registers it, its type and its launch and attach attributes.
packaged(debugger.js)
string(JSON type GET "${manifest}" contributes debuggers 0 type)
string(JSON breakpoints GET "${manifest}" contributes breakpoints 0 language)
string(JSON requests GET "${manifest}" contributes debuggers 0 configurationAttributes)
if(NOT type STREQUAL "vesk" OR NOT breakpoints STREQUAL "vesk" OR
   NOT requests MATCHES "\"launch\"" OR NOT requests MATCHES "\"attach\"")
  message(FATAL_ERROR "the manifest's debugger is '${type}' for breakpoints in '${breakpoints}'")
endif()

# VS Code reads snippets as JSON with comments; ours has them on whole lines only.
string(JSON path GET "${manifest}" contributes snippets 0 path)
file(READ ${EXTENSION}/${path} snippets)
string(REGEX REPLACE "(^|\n)[ ]*//[^\n]*" "\\1" snippets "${snippets}")
string(JSON count ERROR_VARIABLE invalid LENGTH "${snippets}")
if(invalid)
  message(FATAL_ERROR "${path} is no valid JSON: ${invalid}")
endif()
message(STATUS "${vsix}: ${count} snippets")

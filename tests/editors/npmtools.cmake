# Installs the npm packages that the editors tests use into FOLDER, once: a list of what is
# installed there is kept beside them, and nothing is downloaded while it names the same packages.
# Called as: cmake -DNPM=<npm> -DFOLDER=<folder> "-DPACKAGES=<name@version;...>" -P npmtools.cmake
if(NOT NPM)
  message(FATAL_ERROR "npm not found (Debian: apt-get install nodejs npm)")
endif()
file(MAKE_DIRECTORY ${FOLDER})
# Builds of several build folders may share the folder.
file(LOCK ${FOLDER}/.lock)
set(stamp ${FOLDER}/installed.txt)
if(EXISTS ${stamp})
  file(READ ${stamp} installed)
  if(installed STREQUAL "${PACKAGES}")
    message(STATUS "npm tools in ${FOLDER}: ${PACKAGES}")
    return()
  endif()
endif()
# No install scripts and no optional packages: the tools need neither (the optional ones are
# native modules for publishing, whose install scripts download binaries).
execute_process(COMMAND ${NPM} install --prefix ${FOLDER} --no-save --no-audit --no-fund
                        --ignore-scripts --omit=optional ${PACKAGES}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "npm install failed (${status})")
endif()
file(WRITE ${stamp} "${PACKAGES}")
message(STATUS "npm tools installed in ${FOLDER}: ${PACKAGES}")

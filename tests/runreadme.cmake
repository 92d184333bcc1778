# The README's first lines and the CI script must agree: the test command that the README gives
# is the one .ci/run runs, and the README's apt-get line for it names exactly the packages that
# .ci/run installs on a fresh machine.
# Called as: cmake -DSOURCE=<tree> -P runreadme.cmake
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${SOURCE}/README.md readme REGEX "^Run every test")
if(NOT readme MATCHES "apt-get install -y ([^`]*)`.*: `([^`]*)`$")
  message(FATAL_ERROR "README: no line 'Run every test' with an apt-get line and a command")
endif()
separate_arguments(readmepackages UNIX_COMMAND "${CMAKE_MATCH_1}")
set(readmecommand "${CMAKE_MATCH_2}")

file(READ ${SOURCE}/.ci/run ci)
if(NOT ci MATCHES "packages=\\(([^)]*)\\)")
  message(FATAL_ERROR ".ci/run: no packages=(...) list")
endif()
separate_arguments(cipackages UNIX_COMMAND "${CMAKE_MATCH_1}")
list(SORT readmepackages)
list(SORT cipackages)
if(NOT readmepackages STREQUAL cipackages)
  message(FATAL_ERROR "README installs ${readmepackages}\n.ci/run installs ${cipackages}")
endif()
string(REGEX REPLACE "[ \t]*\n[ \t]*" " " ci "${ci}") # commands continued on the next line
string(FIND "${ci}" "${readmecommand}" at)
if(at LESS 0)
  message(FATAL_ERROR ".ci/run does not run the README's test command: ${readmecommand}")
endif()

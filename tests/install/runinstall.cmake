# Installs vesk into a fresh prefix and builds examples/host against the installed package
# twice, each time in a fresh build folder: once through find_package(vesk) and once through
# pkg-config. Runs both hosts and the installed vesk, and checks the installed files.
# Called as: cmake -DBUILD=<vesk build> -DSOURCE=<vesk source> -DWORK=<scratch folder>
#                  -DGENERATOR=<generator> -DCXX=<C++ compiler> -P runinstall.cmake
cmake_minimum_required(VERSION 3.25)
include(GNUInstallDirs)

set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# run(<what> COMMAND ...): runs a command, stops with its output when it fails; its standard
# output is left in `output`.
function(run what)
  execute_process(${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

run("cmake --install" COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

# The library is found under the soname; libveskdll.so is the link-time name.
execute_process(COMMAND ${CMAKE_COMMAND} -N -LA ${BUILD} OUTPUT_VARIABLE cache)
string(REGEX MATCH "CMAKE_INSTALL_LIBDIR:[A-Z]+=([^\n]*)" found "${cache}")
set(libdir ${prefix}/${CMAKE_MATCH_1})
foreach(file include/vesk.h ${CMAKE_MATCH_1}/libveskdll.so ${CMAKE_MATCH_1}/libveskdll.so.1
             ${CMAKE_MATCH_1}/libveskdll.so.1.2.8 bin/vesk share/man/man1/vesk.1
             ${CMAKE_MATCH_1}/cmake/vesk/vesk-config.cmake
             ${CMAKE_MATCH_1}/cmake/vesk/vesk-config-version.cmake
             ${CMAKE_MATCH_1}/pkgconfig/vesk.pc)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ_SYMLINK ${libdir}/libveskdll.so.1 target)
if(NOT target STREQUAL "libveskdll.so.1.2.8")
  message(FATAL_ERROR "libveskdll.so.1 points to '${target}', not libveskdll.so.1.2.8")
endif()

# The installed command finds the installed library by itself, from any folder.
run("installed vesk" COMMAND ${prefix}/bin/vesk -e "6 * 7" WORKING_DIRECTORY ${WORK})
if(NOT output STREQUAL "42\n")
  message(FATAL_ERROR "installed vesk -e printed '${output}', expected '42'")
endif()

set(expected "vesk 1.2.8\nsquares summed: 30 \ntotal = 30\nsquares = 1 4 9 16\n")
foreach(way package pkgconfig)
  set(build ${WORK}/host-${way})
  if(way STREQUAL "pkgconfig")
    set(configure ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${libdir}/pkgconfig
                  ${CMAKE_COMMAND} -DVESK_USE_PKGCONFIG=ON)
  else()
    set(configure ${CMAKE_COMMAND} -DCMAKE_PREFIX_PATH=${prefix})
  endif()
  run("configuring the host through ${way}"
      COMMAND ${configure} -S ${SOURCE}/examples/host -B ${build} -G ${GENERATOR}
              -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_CXX_FLAGS=-Wall\ -Wextra\ -Werror)
  # The host must have found this install, not another vesk on the machine.
  file(STRINGS ${build}/CMakeCache.txt found REGEX "^(vesk_DIR|pkgcfg_lib_vesk_veskdll):")
  string(REGEX REPLACE "^[^=]*=" "" found "${found}")
  if(NOT found MATCHES "^${libdir}/")
    message(FATAL_ERROR "the host through ${way} found vesk at '${found}', not in ${libdir}")
  endif()
  run("building the host through ${way}" COMMAND ${CMAKE_COMMAND} --build ${build})
  run("the host built through ${way}" COMMAND ${build}/host)
  if(NOT output STREQUAL expected)
    message(FATAL_ERROR "the host built through ${way} printed:\n${output}expected:\n${expected}")
  endif()
  message(STATUS "host through ${way}: ok")
endforeach()

# installed.cmake - what the install and package tests check of an installed vesk: its files,
# the installed command run from any folder, and examples/host built against the installed
# files in fresh build folders, through find_package(vesk) and through pkg-config, and run.
# Needs BUILD (vesk build), SOURCE (vesk source), WORK (scratch folder), GENERATOR and CXX.

# run(<what> COMMAND ...): runs a command, stops with its output when it fails; its standard
# output is left in `output`.
function(run what)
  execute_process(${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# The library folder below the prefix that the build installs into (CMAKE_INSTALL_LIBDIR).
execute_process(COMMAND ${CMAKE_COMMAND} -N -LA ${BUILD} OUTPUT_VARIABLE cache)
string(REGEX MATCH "CMAKE_INSTALL_LIBDIR:[A-Z]+=([^\n]*)" found "${cache}")
set(installlibdir ${CMAKE_MATCH_1})

# checkfiles(<prefix> <manual page>): the installed files are there below <prefix>; the
# library is found under its soname, libveskdll.so is the link-time name.
function(checkfiles prefix manpage)
  set(lib ${installlibdir})
  foreach(file include/vesk.h ${lib}/libveskdll.so ${lib}/libveskdll.so.1
               ${lib}/libveskdll.so.1.2.8 bin/vesk ${manpage} ${lib}/cmake/vesk/vesk-config.cmake
               ${lib}/cmake/vesk/vesk-config-version.cmake ${lib}/pkgconfig/vesk.pc)
    if(NOT EXISTS ${prefix}/${file})
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()
  file(READ_SYMLINK ${prefix}/${lib}/libveskdll.so.1 target)
  if(NOT target STREQUAL "libveskdll.so.1.2.8")
    message(FATAL_ERROR "libveskdll.so.1 points to '${target}', not libveskdll.so.1.2.8")
  endif()
endfunction()

# checkinstalled(<prefix>): vesk and the example hosts run on what is installed below <prefix>.
function(checkinstalled prefix)
  set(libdir ${prefix}/${installlibdir})
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
endfunction()

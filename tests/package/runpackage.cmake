# Builds the Debian package and the .tar.gz with cpack, unpacks the .deb with dpkg-deb into a
# scratch root, checks its files and control data, builds examples/host against the unpacked
# tree and runs it, runs lintian on the package (no errors allowed) and compares the .tar.gz's
# files with the package's. Called as: cmake -DBUILD=<vesk build> -DSOURCE=<vesk source>
#   -DWORK=<scratch folder> -DGENERATOR=<generator> -DCXX=<C++ compiler> -P runpackage.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
include(${CMAKE_CURRENT_LIST_DIR}/../install/installed.cmake)

# cpack sits beside the cmake that runs this script.
get_filename_component(cmakebin ${CMAKE_COMMAND} DIRECTORY)
run("cpack" COMMAND ${cmakebin}/cpack --config ${BUILD}/CPackConfig.cmake -B ${WORK}
    WORKING_DIRECTORY ${WORK})
file(GLOB deb ${WORK}/vesk_1.2.8_*.deb)
file(GLOB tgz ${WORK}/vesk-1.2.8-*.tar.gz)
if(NOT deb OR NOT tgz)
  message(FATAL_ERROR "cpack made no .deb or no .tar.gz:\n${output}")
endif()

# dpkg-shlibdeps found the libraries that vesk and libveskdll link; the shlibs file names the
# soname's major version.
run("dpkg-deb -f" COMMAND dpkg-deb -f ${deb} Depends)
if(NOT output MATCHES "(^|, )libc6 \\(>= [^)]+\\)" OR NOT output MATCHES "libstdc\\+\\+6")
  message(FATAL_ERROR "Depends lacks libc6 or libstdc++6: '${output}'")
endif()
run("dpkg-deb --info" COMMAND dpkg-deb --info ${deb} shlibs)
if(NOT output STREQUAL "libveskdll 1 vesk (= 1.2.8)\n")
  message(FATAL_ERROR "the shlibs file reads '${output}'")
endif()

set(root ${WORK}/root)
run("dpkg-deb -x" COMMAND dpkg-deb -x ${deb} ${root})
checkfiles(${root}/usr share/man/man1/vesk.1.gz)
foreach(file copyright changelog.gz)
  if(NOT EXISTS ${root}/usr/share/doc/vesk/${file})
    message(FATAL_ERROR "the package has no /usr/share/doc/vesk/${file}")
  endif()
endforeach()
checkinstalled(${root}/usr)

# lintian says "running with root privileges is not recommended" on standard error as root.
execute_process(COMMAND lintian --fail-on error ${deb} RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "lintian:\n${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lintian found errors (status ${status})")
endif()

# The .tar.gz holds the same tree as the package below /usr.
file(MAKE_DIRECTORY ${WORK}/tgz)
run("unpacking the .tar.gz" COMMAND ${CMAKE_COMMAND} -E tar xzf ${tgz} WORKING_DIRECTORY ${WORK}/tgz)
file(GLOB top ${WORK}/tgz/*)
file(GLOB_RECURSE intgz RELATIVE ${top} LIST_DIRECTORIES false ${top}/*)
file(GLOB_RECURSE indeb RELATIVE ${root}/usr LIST_DIRECTORIES false ${root}/usr/*)
list(SORT intgz)
list(SORT indeb)
if(NOT intgz STREQUAL indeb)
  message(FATAL_ERROR "the .tar.gz holds\n${intgz}\nthe .deb below /usr\n${indeb}")
endif()

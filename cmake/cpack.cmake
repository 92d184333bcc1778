# cpack.cmake - the packages that `cpack` builds from the install tree on Linux: a Debian
# package (dependencies computed by dpkg-shlibdeps) and a .tar.gz of the same files. Both hold
# what `cmake --install` installs; cpackstaging.cmake adds the Debian documents to the staged tree.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

set(VESK_PACKAGE_MAINTAINER "vesk developers <developers@vesk.example.org>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_NAME vesk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VESK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "embeddable script engine for C++ hosts, with its command")
set(CPACK_PACKAGE_DESCRIPTION
    "vesk runs line-oriented .vk scripts inside C++ programs: a host registers\n\
native functions, runs scripts, evaluates expressions and reads results from a\n\
global variable store. This package holds the shared library libveskdll, its\n\
header, its CMake and pkg-config packages, and the vesk command with its manual\n\
page.")
set(CPACK_STRIP_FILES ON)
# The staging script finds the manual pages and documents where the install rules put them.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/cpackstaging.cmake)
set(CPACK_VESK_MANDIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_VESK_DOCDIR ${CMAKE_INSTALL_DOCDIR})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The loader's cache is refreshed through dpkg's ldconfig trigger.
file(WRITE ${PROJECT_BINARY_DIR}/debian/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/triggers)

include(CPack)

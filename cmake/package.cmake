# The installed packages of the library: find_package(vesk) gives the imported target
# vesk::vesk (the CMake package in <libdir>/cmake/vesk), and pkg-config finds vesk.pc in
# <libdir>/pkgconfig. Both describe the files that src/ installs.
include(CMakePackageConfigHelpers)

set(VESK_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vesk)
install(EXPORT vesk-targets NAMESPACE vesk:: FILE vesk-targets.cmake
        DESTINATION ${VESK_PACKAGE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/vesk-config.cmake.in
                              ${PROJECT_BINARY_DIR}/vesk-config.cmake
                              INSTALL_DESTINATION ${VESK_PACKAGE_DIR})
# The interface changes incompatibly only with the major version, which is also the soname's.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vesk-config-version.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vesk-config.cmake
              ${PROJECT_BINARY_DIR}/vesk-config-version.cmake
        DESTINATION ${VESK_PACKAGE_DIR})

# vesk.pc finds the prefix relative to its own folder, so that the package works wherever
# it is installed (cmake --install --prefix, a staging DESTDIR). A libdir or includedir given
# as an absolute path stays absolute.
set(VESK_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VESK_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VESK_PC_TO_PREFIX "${VESK_PC_TO_PREFIX}")
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(VESK_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(VESK_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/vesk.pc.in ${PROJECT_BINARY_DIR}/vesk.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vesk.pc DESTINATION ${VESK_PC_DIR})

# Installs vesk into a fresh prefix and builds examples/host against the installed package
# twice, each time in a fresh build folder: once through find_package(vesk) and once through
# pkg-config. Runs both hosts and the installed vesk, and checks the installed files.
# Called as: cmake -DBUILD=<vesk build> -DSOURCE=<vesk source> -DWORK=<scratch folder>
#                  -DGENERATOR=<generator> -DCXX=<C++ compiler> -P runinstall.cmake
cmake_minimum_required(VERSION 3.25)

set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

include(${CMAKE_CURRENT_LIST_DIR}/installed.cmake)

run("cmake --install" COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})
checkfiles(${prefix} share/man/man1/vesk.1)
checkinstalled(${prefix})

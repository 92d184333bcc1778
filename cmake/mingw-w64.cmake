# mingw-w64.cmake - cross-building the 64-bit Windows library and programs on Linux with
# MinGW-w64 (the POSIX thread model compiler) and running them under Wine. Every program and
# DLL carries its GCC runtime and winpthread statically, so Wine needs no runtime DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VESK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER ${VESK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_C_COMPILER ${VESK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_RC_COMPILER ${VESK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VESK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static links libgcc, libstdc++ and winpthread into each module; Windows' own DLLs are still
# reached through their import libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# ctest, gtest_discover_tests and the script-driven tests start the .exe files through Wine
# (in the prefix $WINEPREFIX; the presets give each build one of its own).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh)

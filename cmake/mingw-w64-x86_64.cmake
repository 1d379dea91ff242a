# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (scripts/test-windows.sh,
# the `windows` preset). The posix thread model is the one whose standard library has
# std::jthread and std::stop_token. Programs and libraries link the compiler's runtime
# statically, so they need no DLL beside them. Tests and the try_run checks of the libraries
# built for this toolchain run under Wine, through cmake/wine-run.
#
# BRENWICK_WINDOWS_DEPS names the folder where the libraries built for this toolchain are
# installed (scripts/build-windows-deps.sh); BRENWICK_WINE_PREFIX the Wine prefix to run in.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(brenwick_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${brenwick_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${brenwick_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${brenwick_mingw}-windres)

# try_compile projects read this file again; these two must reach them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRENWICK_WINDOWS_DEPS BRENWICK_WINE_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${brenwick_mingw} ${BRENWICK_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

if(NOT BRENWICK_WINE_PREFIX)
  set(BRENWICK_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${BRENWICK_WINE_PREFIX})

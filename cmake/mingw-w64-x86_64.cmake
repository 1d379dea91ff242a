# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (scripts/test-windows.sh,
# the `windows` preset). The posix thread model is the one whose standard library has
# std::jthread and std::stop_token. Programs and libraries link the compiler's runtime
# statically, so they need no DLL beside them, unless BRENWICK_MINGW_SHARED_RUNTIME is on: then
# they link its DLLs (libstdc++-6, libgcc_s_seh-1, libwinpthread-1), as Qt's DLLs do. Tests and
# the try_run checks of the libraries built for this toolchain run under Wine, through
# cmake/wine-run.
#
# BRENWICK_WINDOWS_DEPS lists the folders where the libraries built for this toolchain are
# installed (scripts/build-windows-deps.sh, scripts/build-windows-qt.sh); BRENWICK_WINE_PREFIX
# names the Wine prefix to run in.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(brenwick_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${brenwick_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${brenwick_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${brenwick_mingw}-windres)

# try_compile projects read this file again; these must reach them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRENWICK_WINDOWS_DEPS BRENWICK_WINE_PREFIX
     BRENWICK_MINGW_SHARED_RUNTIME)

set(CMAKE_FIND_ROOT_PATH /usr/${brenwick_mingw} ${BRENWICK_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT BRENWICK_MINGW_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
  set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
  set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)
endif()

if(NOT BRENWICK_WINE_PREFIX)
  set(BRENWICK_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${BRENWICK_WINE_PREFIX})

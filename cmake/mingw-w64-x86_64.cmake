# Cross build for 64-bit Windows with MinGW-w64 (Debian's posix thread model
# compilers), run and tested under Wine.
#
#   cmake --preset win32                 (or -DCMAKE_TOOLCHAIN_FILE=<this file>)
#
# The programs are linked statically: the program folder needs no runtime
# DLL beside the executables.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SARVO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SARVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SARVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SARVO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SARVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libstdc++, libgcc or winpthread DLL to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, in the build folder's own prefix, with the
# Japanese locale so that the ANSI code page is 932 (the locale must have been
# generated, or Wine silently falls back to 1252). scripts/test-win32.sh
# creates the prefix and keeps one wineserver running for the whole test run.
find_program(SARVO_WINE NAMES wine)
if(SARVO_WINE)
  set(SARVO_WINE_ENVIRONMENT
      "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" "HOME=${CMAKE_BINARY_DIR}/winehome" WINEDEBUG=-all
      "WINEDLLOVERRIDES=mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)
  set(CMAKE_CROSSCOMPILING_EMULATOR env ${SARVO_WINE_ENVIRONMENT} ${SARVO_WINE})
endif()

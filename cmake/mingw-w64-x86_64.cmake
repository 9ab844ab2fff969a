# Cross-building for 64-bit Windows with Debian's mingw-w64
# (g++-mingw-w64-x86-64-posix). The posix thread model gives std::thread and
# std::mutex; everything is linked statically so that the programs run
# without the compiler's DLLs beside them (under Wine as on Windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(WAGA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${WAGA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WAGA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${WAGA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WAGA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and test discovery run the programs under Wine.
find_program(WAGA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(WAGA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WAGA_WINE})
endif()

# The MinGW-w64 cross build for the processor the including toolchain file names
# (CMAKE_SYSTEM_PROCESSOR: i686 or x86_64). Programs run under wine in a Japanese locale,
# so that the ANSI code page is 932; 64-bit ones under wine64 (cmake/wine-run --64).
set(CMAKE_SYSTEM_NAME Windows)
set(VESKO_MINGW ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${VESKO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESKO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VESKO_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VESKO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The runtime is linked in, so the DLL and the programs need only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run --64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
endif()

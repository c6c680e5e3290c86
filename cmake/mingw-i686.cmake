# Cross build of the 32-bit Windows plug-in with MinGW-w64; programs run under wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Cross build of the same Windows code for 64-bit Windows. The plug-in that ships is the
# 32-bit one; this build runs the Windows tests on machines whose wine can start only
# 64-bit programs (a kernel without 32-bit support).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

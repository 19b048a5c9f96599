# Cross-compiling for 64-bit Windows with mingw-w64 on Debian: the same
# program, for running the Wine tests where 32-bit code cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(FALVORI_MINGW x86_64-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")

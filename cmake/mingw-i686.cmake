# Cross-compiling for 32-bit Windows (the release) with mingw-w64 on Debian.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(FALVORI_MINGW i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")

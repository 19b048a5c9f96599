# What both mingw-w64 toolchains share; FALVORI_MINGW names the target.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${FALVORI_MINGW}-gcc)
set(CMAKE_CXX_COMPILER ${FALVORI_MINGW}-g++)
set(CMAKE_RC_COMPILER ${FALVORI_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FALVORI_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Only Windows system DLLs at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine through the build's own wrapper (own prefix, display).
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run")

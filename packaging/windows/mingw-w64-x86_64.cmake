# Cross-building for 64-bit Windows on Debian with mingw-w64 (g++-mingw-w64-x86-64-posix).
# Used for the Windows Qt itself and for Quillora; scripts/windows.sh passes it to both.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(quillora_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${quillora_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${quillora_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${quillora_mingw}-windres)
set(CMAKE_AR ${quillora_mingw}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${quillora_mingw}-ranlib CACHE FILEPATH "")

# Look for libraries and headers only in the mingw sysroot and in the folders given as
# CMAKE_FIND_ROOT_PATH (the Windows Qt, libmpg123, libjpeg-turbo); programs come from the build
# machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${quillora_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

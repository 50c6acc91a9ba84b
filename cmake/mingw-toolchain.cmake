# Cross build for Windows with MinGW-w64 on Linux, for the target named by
# PELLOMAR_MINGW_PREFIX (set by the toolchain file that includes this). The
# posix thread model compilers give the C++ standard library its threads
# (std::mutex), which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${PELLOMAR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELLOMAR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PELLOMAR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELLOMAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

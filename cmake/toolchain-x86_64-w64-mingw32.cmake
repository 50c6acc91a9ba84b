# 64-bit Windows: the product's twin, for running its tests under 64-bit Wine
# where the machine runs no 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PELLOMAR_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

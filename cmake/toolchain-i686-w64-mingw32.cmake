# 32-bit Windows: the product, Pellomar.exe.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELLOMAR_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

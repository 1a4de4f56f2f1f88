# The MinGW-w64 cross toolchain for 64-bit Windows plug-ins: see the file included here.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/mingw-w64-x86_64.cmake)

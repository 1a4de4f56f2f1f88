# A second cross toolchain for the 64-bit Windows plug-in: clang and lld with
# the MinGW-w64 sysroot and GCC's libstdc++, so both compilers build against
# the same headers and runtime. Debian names GCC's folder 12-win32, which
# clang does not recognise as a version: its folders are given here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_DLLTOOL ${TOOLCHAIN_PREFIX}-dlltool)
set(CMAKE_OBJCOPY /usr/bin/${TOOLCHAIN_PREFIX}-objcopy)
set(CMAKE_STRIP /usr/bin/${TOOLCHAIN_PREFIX}-strip)

# The win32 threads model, as the g++ build uses.
file(GLOB MINGW_GCC_DIRS /usr/lib/gcc/${TOOLCHAIN_PREFIX}/*-win32)
list(SORT MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET MINGW_GCC_DIRS 0 MINGW_GCC_DIR)
set(CMAKE_CXX_FLAGS_INIT "-isystem ${MINGW_GCC_DIR}/include/c++ -isystem ${MINGW_GCC_DIR}/include/c++/${TOOLCHAIN_PREFIX} -isystem ${MINGW_GCC_DIR}/include/c++/backward")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -L${MINGW_GCC_DIR}")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

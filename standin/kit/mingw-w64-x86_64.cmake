# The MinGW-w64 toolchain for 64-bit Windows script plug-ins: Debian's
# g++-mingw-w64-x86-64 cross compiler on Linux, or MinGW-w64 (MSYS2's
# MINGW64 shell among them) on Windows. Its tools are found on PATH, by the
# target's prefix first; on Windows also by their plain names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)

macro(_script_host_mingw_tool variable tool)
  if(NOT ${variable})
    set(_script_host_names ${TOOLCHAIN_PREFIX}-${tool})
    if(CMAKE_HOST_WIN32)
      list(APPEND _script_host_names ${tool})
    endif()
    find_program(${variable} NAMES ${_script_host_names})
    if(NOT ${variable})
      message(FATAL_ERROR "no ${TOOLCHAIN_PREFIX}-${tool} on PATH: install MinGW-w64 "
        "(Debian: apt-get install g++-mingw-w64-x86-64; MSYS2: pacman -S mingw-w64-x86_64-toolchain)")
    endif()
  endif()
endmacro()
_script_host_mingw_tool(CMAKE_C_COMPILER gcc)
_script_host_mingw_tool(CMAKE_CXX_COMPILER g++)
_script_host_mingw_tool(CMAKE_RC_COMPILER windres)
_script_host_mingw_tool(CMAKE_DLLTOOL dlltool)
_script_host_mingw_tool(CMAKE_OBJCOPY objcopy)
_script_host_mingw_tool(CMAKE_STRIP strip)

if(NOT CMAKE_HOST_WIN32)
  set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Script plug-ins for the game's script host: 64-bit Windows DLLs named *.asi
# that import the host's eight functions from ScriptHookRDR2.dll and carry
# their own C++ runtime, since the game folder has none.
#
#   add_script_plugin(NAME SOURCES...)
#
# makes the target NAME, built as NAME.asi in the target's binary folder
# (change RUNTIME_OUTPUT_DIRECTORY or OUTPUT_NAME as for any library). The
# host's declarations are in src/host/host_interface.h (standin/kit/script_host.h);
# include directories are the caller's to set.
include_guard(GLOBAL)

# One import library for the whole build, made on first use.
function(_script_host_import_library out)
  set(host_dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/host)
  cmake_path(NORMAL_PATH host_dir)
  if(MSVC)
    set(def ${host_dir}/ScriptHookRDR2.msvc.def)
    set(name ScriptHookRDR2.lib)
    set(command lib /nologo /def:${def} /machine:x64 /out:${name})
  else()
    if(NOT CMAKE_DLLTOOL)
      find_program(CMAKE_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
    endif()
    set(def ${host_dir}/ScriptHookRDR2.def)
    set(name libScriptHookRDR2.a)
    # dlltool names the library's internal symbols after the -l path: a
    # relative name keeps the output the same wherever the build folder is.
    set(command ${CMAKE_DLLTOOL} -d ${def} -l ${name})
  endif()
  set(library ${CMAKE_BINARY_DIR}/${name})
  if(NOT TARGET script_host_import_lib)
    add_custom_command(OUTPUT ${library}
      COMMAND ${command}
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DEPENDS ${def}
      COMMENT "Import library for ScriptHookRDR2.dll")
    add_custom_target(script_host_import_lib DEPENDS ${library})
  endif()
  set(${out} ${library} PARENT_SCOPE)
endfunction()

function(add_script_plugin name)
  if(NOT ARGN)
    message(FATAL_ERROR "add_script_plugin(${name}): no sources")
  endif()
  if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    message(FATAL_ERROR "add_script_plugin(${name}) needs a 64-bit Windows toolchain, "
      "for example -DCMAKE_TOOLCHAIN_FILE=standin/kit/mingw-w64-x86_64.cmake")
  endif()
  _script_host_import_library(import_library)
  add_library(${name} SHARED ${ARGN})
  add_dependencies(${name} script_host_import_lib)
  # Last on the link line, after whatever the caller links later in this
  # folder: GNU ld resolves a static library's calls to the host only from
  # libraries that follow it.
  cmake_language(EVAL CODE
    "cmake_language(DEFER CALL target_link_libraries [[${name}]] PRIVATE [[${import_library}]])")
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".asi")
  if(MSVC)
    set_property(TARGET ${name} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  else()
    # Without --exclude-all-symbols GNU ld would export every global.
    target_link_options(${name} PRIVATE
      -static -static-libgcc -static-libstdc++ -Wl,--exclude-all-symbols)
  endif()
endfunction()

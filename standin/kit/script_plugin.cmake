# Script plug-ins for the game's script host: 64-bit Windows DLLs named *.asi
# that import the host's eight functions from ScriptHookRDR2.dll and carry
# their own C++ runtime, since the game folder has none.
#
#   add_script_plugin(NAME [NO_RUNTIME_RELEASE] [SYMBOLS_DIR DIR] SOURCES...)
#
# makes the target NAME, built as NAME.asi in the target's binary folder
# (change RUNTIME_OUTPUT_DIRECTORY or OUTPUT_NAME as for any library):
#  - linked with the import library made from ScriptHookRDR2.def beside this
#    file, last on the link line, and with the static runtime;
#  - with script_runtime_release.cpp, which gives back at unload what the
#    static C++ runtime took, so the plug-in survives the host's reloads
#    (NO_RUNTIME_RELEASE leaves it out, to see the difference);
#  - optimised with debug information when the build type is empty, then
#    stripped: the symbols go to NAME.asi.debug beside the plug-in (or in
#    SYMBOLS_DIR), named in the plug-in by a debug link, for turning crash
#    offsets into functions and lines (the kit's symbolize);
#  - the same bytes from the same sources in whichever folder they are built:
#    no link time stamp, a fixed image base, source paths relative to the
#    project's folder in the symbols.
# With MSVC (Visual Studio's generator, or any that CMake runs cl with): the
# static runtime (/MT), the import library made by lib from
# ScriptHookRDR2.msvc.def, and in every configuration a NAME.pdb beside
# NAME.asi (or in SYMBOLS_DIR), which the stand-in reads for the crash's
# functions and lines; the runtime release is MinGW's alone.
# The host's declarations are in script_host.h beside this file; include
# directories are the caller's to set.
include_guard(GLOBAL)
set(SCRIPT_HOST_KIT_DIR ${CMAKE_CURRENT_LIST_DIR})

if(NOT CMAKE_CONFIGURATION_TYPES AND NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING
      "Build type; plug-ins are optimised, with their symbols kept apart" FORCE)
endif()

# One import library for the whole build, made on first use.
function(_script_host_import_library out)
  if(MSVC)
    set(def ${SCRIPT_HOST_KIT_DIR}/ScriptHookRDR2.msvc.def)
    set(name ScriptHookRDR2.lib)
    # CMake's lib.exe of the compiler it found: no PATH of a developer prompt needed.
    set(lib ${CMAKE_AR})
    if(NOT lib)
      set(lib lib)
    endif()
    set(command ${lib} /nologo /def:${def} /machine:x64 /out:${name})
  else()
    if(NOT CMAKE_DLLTOOL)
      find_program(CMAKE_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
    endif()
    set(def ${SCRIPT_HOST_KIT_DIR}/ScriptHookRDR2.def)
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

# Debug information that reads the same from every folder: source files as
# paths below the project's folder (the kit's own below kit/), compiled in
# ".", the target's build folder. GCC takes the last map that matches, clang
# the longest: the build folder's comes last.
function(_script_plugin_debug_info target)
  set(maps)
  cmake_path(IS_PREFIX CMAKE_SOURCE_DIR ${SCRIPT_HOST_KIT_DIR} kit_inside)
  if(NOT kit_inside)
    list(APPEND maps -ffile-prefix-map=${SCRIPT_HOST_KIT_DIR}/=kit/)
  endif()
  get_target_property(compiled_in ${target} BINARY_DIR)
  list(APPEND maps -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${compiled_in}=.)
  target_compile_options(${target} PRIVATE -g ${maps})
endfunction()

# Run once the caller's folder is read, when all it links is known: the
# import library goes last (GNU ld resolves a static library's calls to the
# host only from libraries that follow it), and the static libraries of the
# build get the same debug information as the plug-in.
function(_script_plugin_finish target import_library)
  get_target_property(linked ${target} LINK_LIBRARIES)
  foreach(library IN LISTS linked)
    if(TARGET ${library})
      get_target_property(type ${library} TYPE)
      get_target_property(imported ${library} IMPORTED)
      if(type STREQUAL "STATIC_LIBRARY" AND NOT imported AND NOT MSVC)
        _script_plugin_debug_info(${library})
      endif()
    endif()
  endforeach()
  target_link_libraries(${target} PRIVATE ${import_library})
endfunction()

# Strips what was linked. -p keeps the header's time stamp as linked (0)
# where objcopy and strip would write the current time.
function(_script_plugin_strip target symbols_dir)
  if(NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
    message(FATAL_ERROR "add_script_plugin(${target}) needs objcopy and strip for PE files "
      "(CMAKE_OBJCOPY, CMAKE_STRIP); the kit's toolchain file finds them")
  endif()
  if(NOT symbols_dir)
    set(symbols_dir $<TARGET_FILE_DIR:${target}>)
  endif()
  set(symbols ${symbols_dir}/$<TARGET_FILE_NAME:${target}>.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${symbols_dir}
    COMMAND ${CMAKE_OBJCOPY} -p --only-keep-debug $<TARGET_FILE:${target}> ${symbols}
    COMMAND ${CMAKE_STRIP} -p --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} -p --add-gnu-debuglink=${symbols} $<TARGET_FILE:${target}>
    COMMENT "Stripping ${target}; its symbols go to ${target}.asi.debug"
    VERBATIM)
endfunction()

function(add_script_plugin name)
  cmake_parse_arguments(PARSE_ARGV 1 plugin "NO_RUNTIME_RELEASE" "SYMBOLS_DIR" "")
  set(sources ${plugin_UNPARSED_ARGUMENTS})
  if(NOT sources)
    message(FATAL_ERROR "add_script_plugin(${name}): no sources")
  endif()
  if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    message(FATAL_ERROR "add_script_plugin(${name}) needs a 64-bit Windows toolchain, "
      "for example -DCMAKE_TOOLCHAIN_FILE=${SCRIPT_HOST_KIT_DIR}/mingw-w64-x86_64.cmake")
  endif()
  _script_host_import_library(import_library)
  if(NOT MSVC AND NOT plugin_NO_RUNTIME_RELEASE)
    list(APPEND sources ${SCRIPT_HOST_KIT_DIR}/script_runtime_release.cpp)
  endif()
  add_library(${name} SHARED ${sources})
  add_dependencies(${name} script_host_import_lib)
  cmake_language(EVAL CODE
    "cmake_language(DEFER CALL _script_plugin_finish [[${name}]] [[${import_library}]])")
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".asi")
  if(MSVC)
    set_property(TARGET ${name} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    # A .pdb in Release too, where CMake's flags make none: a player's crash
    # offsets are of the build you gave out.
    set_property(TARGET ${name} PROPERTY MSVC_DEBUG_INFORMATION_FORMAT ProgramDatabase)
    target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:/Zi>)
    target_link_options(${name} PRIVATE /DEBUG /OPT:REF /OPT:ICF /INCREMENTAL:NO)
    set_target_properties(${name} PROPERTIES PDB_NAME ${name})
    if(plugin_SYMBOLS_DIR)
      set_target_properties(${name} PROPERTIES PDB_OUTPUT_DIRECTORY ${plugin_SYMBOLS_DIR})
    endif()
    return()
  endif()
  # Without --exclude-all-symbols GNU ld would export every global. No link
  # time in the PE header; a fixed image base (the automatic one is a hash of
  # the output path).
  target_link_options(${name} PRIVATE
    -static -static-libgcc -static-libstdc++ -Wl,--exclude-all-symbols
    -Wl,--no-insert-timestamp -Wl,--disable-auto-image-base)
  _script_plugin_debug_info(${name})
  _script_plugin_strip(${name} "${plugin_SYMBOLS_DIR}")
endfunction()

# The player's file: dist/Vantomere.asi, a DLL that imports the host's eight
# functions by their decorated names and exports nothing of its own.
set(VANTOMERE_DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
set(HOST_IMPORT_LIB ${CMAKE_BINARY_DIR}/libScriptHookRDR2.a)

if(MSVC)
  set(HOST_IMPORT_LIB ${CMAKE_BINARY_DIR}/ScriptHookRDR2.lib)
  add_custom_command(OUTPUT ${HOST_IMPORT_LIB}
    COMMAND lib /nologo /def:${CMAKE_SOURCE_DIR}/src/host/ScriptHookRDR2.msvc.def
            /machine:x64 /out:${HOST_IMPORT_LIB}
    DEPENDS ${CMAKE_SOURCE_DIR}/src/host/ScriptHookRDR2.msvc.def
    COMMENT "Import library for ScriptHookRDR2.dll")
else()
  add_custom_command(OUTPUT ${HOST_IMPORT_LIB}
    COMMAND ${CMAKE_DLLTOOL} -d ${CMAKE_SOURCE_DIR}/src/host/ScriptHookRDR2.def -l ${HOST_IMPORT_LIB}
    DEPENDS ${CMAKE_SOURCE_DIR}/src/host/ScriptHookRDR2.def
    COMMENT "Import library for ScriptHookRDR2.dll")
endif()
add_custom_target(host_import_lib DEPENDS ${HOST_IMPORT_LIB})

file(GLOB VANTOMERE_RESOURCES CONFIGURE_DEPENDS src/core/*.rc)
if(VANTOMERE_RESOURCES)
  enable_language(RC)
endif()

add_library(Vantomere SHARED ${VANTOMERE_PLATFORM_SOURCES} ${VANTOMERE_RESOURCES})
add_dependencies(Vantomere host_import_lib)
vantomere_warnings(Vantomere)
target_compile_definitions(Vantomere PRIVATE
  VANTOMERE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  VANTOMERE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  VANTOMERE_VERSION_PATCH=${PROJECT_VERSION_PATCH})
target_link_libraries(Vantomere PRIVATE vantomere_core ${HOST_IMPORT_LIB})
set_target_properties(Vantomere PROPERTIES
  PREFIX "" OUTPUT_NAME Vantomere SUFFIX ".asi"
  RUNTIME_OUTPUT_DIRECTORY ${VANTOMERE_DIST_DIR}
  LIBRARY_OUTPUT_DIRECTORY ${VANTOMERE_DIST_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plugin-archive)
if(NOT MSVC)
  # The game folder has no MinGW runtime, and GNU ld would export every global.
  target_link_options(Vantomere PRIVATE
    -static -static-libgcc -static-libstdc++ -Wl,--exclude-all-symbols)
endif()

# dist/ holds exactly what a player copies into the game folder: the plug-in,
# a sample settings file, and the log folder (without it nothing is logged).
add_custom_command(TARGET Vantomere POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${CMAKE_SOURCE_DIR}/package/Vantomere.ini ${VANTOMERE_DIST_DIR}/Vantomere.ini
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTOMERE_DIST_DIR}/Harlowick)

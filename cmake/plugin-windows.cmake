# The player's file: dist/Vantomere.asi, a DLL that imports the host's eight
# functions by their decorated names and exports nothing of its own.
# It is built as any plug-in is built with the stand-in's kit: with the
# runtime release, stripped, its symbols kept apart, reproducible.
set(VANTOMERE_DIST_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where the player's files go")
set(VANTOMERE_SYMBOLS_DIR ${CMAKE_SOURCE_DIR}/symbols CACHE PATH
    "Where the symbols of the shipped DLL go (never into the player's zip)")
include(${CMAKE_SOURCE_DIR}/standin/kit/script_plugin.cmake)

file(GLOB VANTOMERE_RESOURCES CONFIGURE_DEPENDS src/core/*.rc)
if(VANTOMERE_RESOURCES)
  enable_language(RC)
endif()

add_script_plugin(Vantomere SYMBOLS_DIR ${VANTOMERE_SYMBOLS_DIR} ${VANTOMERE_PLATFORM_SOURCES} ${VANTOMERE_RESOURCES})
vantomere_warnings(Vantomere)
target_compile_definitions(Vantomere PRIVATE
  VANTOMERE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  VANTOMERE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  VANTOMERE_VERSION_PATCH=${PROJECT_VERSION_PATCH})
# The trigonometry is named here too, so that the plug-in's release steps
# (the same debug information as the plug-in's own) reach it.
target_link_libraries(Vantomere PRIVATE vantomere_core vantomere_trigonometry)
if(MSVC)
  # Code linked into the plug-in must use the plug-in's static C++ runtime.
  set_property(TARGET vantomere_core vantomere_trigonometry PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()
set_target_properties(Vantomere PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${VANTOMERE_DIST_DIR}
  LIBRARY_OUTPUT_DIRECTORY ${VANTOMERE_DIST_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plugin-archive)
# dist/ holds exactly what a player copies into the game folder: the plug-in,
# a sample settings file, and the log folder (without it nothing is logged).
add_custom_command(TARGET Vantomere POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${CMAKE_SOURCE_DIR}/package/Vantomere.ini ${VANTOMERE_DIST_DIR}/Vantomere.ini
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTOMERE_DIST_DIR}/Harlowick)

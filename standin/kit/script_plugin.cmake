# add_script_plugin(NAME SOURCES...): see the file included here.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/script_plugin.cmake)

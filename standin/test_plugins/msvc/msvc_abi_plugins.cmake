# The ABI twins' builds for Microsoft's C++ ABI: clang for the
# x86_64-pc-windows-msvc target, lld-link, import libraries made from .def
# files by llvm-dlltool, and at run time the system's vcruntime140.dll (Wine's
# own here). No SDK and no Microsoft library: abi_plugin_support.h and
# runtime_support.cpp give what those would. Each NAME.asi lies in the test
# plug-ins' folder with NAME.pdb beside it.
find_program(MSVC_ABI_CLANG NAMES clang++ clang++-14)
find_program(MSVC_ABI_LINK NAMES lld-link lld-link-14)
find_program(MSVC_ABI_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14)
if(NOT MSVC_ABI_CLANG OR NOT MSVC_ABI_LINK OR NOT MSVC_ABI_DLLTOOL)
  message(FATAL_ERROR "the plug-ins built for Microsoft's ABI need clang, lld and llvm (scripts/install-deps)")
endif()

set(MSVC_ABI_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(MSVC_ABI_WORK ${CMAKE_CURRENT_BINARY_DIR}/msvc)
file(MAKE_DIRECTORY ${MSVC_ABI_WORK})
set(MSVC_ABI_COMPILE ${MSVC_ABI_CLANG} --target=x86_64-pc-windows-msvc -std=c++17 -fms-extensions
  -fms-compatibility -fexceptions -fcxx-exceptions -O1 -g -gcodeview -Wall -Wextra -Werror
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
  -I${MSVC_ABI_SOURCE}/.. -I${MSVC_ABI_SOURCE} -I${PROJECT_SOURCE_DIR}/contract)

set(MSVC_ABI_LIBS)
foreach(def ${MSVC_ABI_SOURCE}/kernel32.def ${MSVC_ABI_SOURCE}/vcruntime140.def
    ${PROJECT_SOURCE_DIR}/standin/kit/ScriptHookRDR2.msvc.def)
  get_filename_component(lib ${def} NAME_WE)
  add_custom_command(OUTPUT ${MSVC_ABI_WORK}/${lib}.lib
    COMMAND ${MSVC_ABI_DLLTOOL} -m i386:x86-64 -d ${def} -l ${MSVC_ABI_WORK}/${lib}.lib
    DEPENDS ${def})
  list(APPEND MSVC_ABI_LIBS ${MSVC_ABI_WORK}/${lib}.lib)
endforeach()

add_custom_command(OUTPUT ${MSVC_ABI_WORK}/runtime_support.obj
  COMMAND ${MSVC_ABI_COMPILE} -c ${MSVC_ABI_SOURCE}/runtime_support.cpp -o ${MSVC_ABI_WORK}/runtime_support.obj
  DEPENDS ${MSVC_ABI_SOURCE}/runtime_support.cpp)

# msvc_abi_plugin(NAME SOURCE DEFINITIONS...)
function(msvc_abi_plugin name source)
  set(defines)
  foreach(definition ${ARGN})
    list(APPEND defines -D${definition})
  endforeach()
  set(object ${MSVC_ABI_WORK}/${name}.obj)
  add_custom_command(OUTPUT ${object}
    COMMAND ${MSVC_ABI_COMPILE} ${defines} -c ${source} -o ${object}
    DEPENDS ${source} ${MSVC_ABI_SOURCE}/../abi_plugin_support.h ${MSVC_ABI_SOURCE}/cstdint
      ${PROJECT_SOURCE_DIR}/contract/script_host.h)
  add_custom_command(OUTPUT ${TEST_PLUGIN_DIR}/${name}.asi ${TEST_PLUGIN_DIR}/${name}.pdb
    COMMAND ${MSVC_ABI_LINK} /nologo /dll /entry:DllMain /nodefaultlib /debug /brepro
      /pdb:${TEST_PLUGIN_DIR}/${name}.pdb /implib:${MSVC_ABI_WORK}/${name}.lib
      /out:${TEST_PLUGIN_DIR}/${name}.asi ${object} ${MSVC_ABI_WORK}/runtime_support.obj ${MSVC_ABI_LIBS}
    DEPENDS ${object} ${MSVC_ABI_WORK}/runtime_support.obj ${MSVC_ABI_LIBS})
  add_custom_target(${name} ALL DEPENDS ${TEST_PLUGIN_DIR}/${name}.asi)
endfunction()

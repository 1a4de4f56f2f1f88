# The player's DLL as it ships: stripped, with its symbols kept apart for
# turning crash offsets into functions and lines, and the same bytes from the
# same sources in whichever folder they are built.
#
#   vantomere_release(<target>)
#
# <target> is stripped in place after linking; its symbols go to
# ${VANTOMERE_SYMBOLS_DIR}/<file name>.debug, tied to it by a debug link.
set(VANTOMERE_SYMBOLS_DIR ${CMAKE_SOURCE_DIR}/symbols CACHE PATH
    "Where the symbols of the shipped DLL go (never into the player's zip)")

function(vantomere_release target)
  if(MSVC)
    return()
  endif()
  if(NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
    message(FATAL_ERROR "vantomere_release needs objcopy and strip for PE files (CMAKE_OBJCOPY, CMAKE_STRIP)")
  endif()

  # Debug information for the target and the static libraries it is made of,
  # with the folders' paths taken out, so that it reads the same from every
  # checkout: source files appear as ./src/... The build folder's map comes
  # last, as GCC takes the last map that matches (clang the longest).
  set(compiled ${target})
  get_target_property(linked ${target} LINK_LIBRARIES)
  foreach(library IN LISTS linked)
    if(TARGET ${library})
      get_target_property(type ${library} TYPE)
      if(type STREQUAL "STATIC_LIBRARY")
        list(APPEND compiled ${library})
      endif()
    endif()
  endforeach()
  foreach(each IN LISTS compiled)
    target_compile_options(${each} PRIVATE -g
      -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
  endforeach()

  # No link time in the PE header and the export directory; a fixed image base
  # (the automatic one is a hash of the output path).
  target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp -Wl,--disable-auto-image-base)

  # Strip what was linked. -p keeps the header's time stamp as linked (0)
  # where objcopy and strip would write the current time.
  set(symbols ${VANTOMERE_SYMBOLS_DIR}/$<TARGET_FILE_NAME:${target}>.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTOMERE_SYMBOLS_DIR}
    COMMAND ${CMAKE_OBJCOPY} -p --only-keep-debug $<TARGET_FILE:${target}> ${symbols}
    COMMAND ${CMAKE_STRIP} -p --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} -p --add-gnu-debuglink=${symbols} $<TARGET_FILE:${target}>
    COMMENT "Stripping ${target}; its symbols go to ${VANTOMERE_SYMBOLS_DIR}"
    VERBATIM)
endfunction()

# The player's files beside <target> in ${VANTOMERE_DIST_DIR}, on top of the
# settings file: the readme, plain text with CR LF line ends for Notepad and
# this version in it, and a note in Harlowick/ that keeps the log folder in
# the zip (unzipping drops an empty folder).
function(vantomere_player_files target)
  set(readme ${CMAKE_BINARY_DIR}/package/Vantomere-ReadMe.txt)
  configure_file(${CMAKE_SOURCE_DIR}/package/Vantomere-ReadMe.txt.in ${readme} @ONLY NEWLINE_STYLE CRLF)
  set(note ${CMAKE_BINARY_DIR}/package/LogFolder.txt)
  configure_file(${CMAKE_SOURCE_DIR}/package/Harlowick/LogFolder.txt ${note} @ONLY NEWLINE_STYLE CRLF)
  set(shipped ${VANTOMERE_DIST_DIR}/Vantomere-ReadMe.txt ${VANTOMERE_DIST_DIR}/Harlowick/LogFolder.txt)
  add_custom_command(OUTPUT ${shipped}
    COMMAND ${CMAKE_COMMAND} -E copy ${readme} ${VANTOMERE_DIST_DIR}/Vantomere-ReadMe.txt
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTOMERE_DIST_DIR}/Harlowick
    COMMAND ${CMAKE_COMMAND} -E copy ${note} ${VANTOMERE_DIST_DIR}/Harlowick/LogFolder.txt
    DEPENDS ${readme} ${note}
    VERBATIM)
  add_custom_target(${target}_player_files DEPENDS ${shipped})
  add_dependencies(${target} ${target}_player_files)
endfunction()

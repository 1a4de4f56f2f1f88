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

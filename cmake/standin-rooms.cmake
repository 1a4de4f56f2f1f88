# The stand-in's rooms are layers: each sees itself and the rooms below it,
# never one above. A room's sources are compiled against an include root of
# its own, a folder of links to just those rooms, so an include of a room
# above fails to compile ("No such file or directory") wherever it is written.

# standin_room_roots(ROOTS SOURCE_DIR ROOM...): ROOMS from the bottom up; makes
# ROOTS/ROOM for each, holding a link to every room up to and with ROOM.
function(standin_room_roots roots source_dir)
  set(seen)
  foreach(room ${ARGN})
    list(APPEND seen ${room})
    file(REMOVE_RECURSE ${roots}/${room})
    file(MAKE_DIRECTORY ${roots}/${room})
    foreach(lower ${seen})
      file(CREATE_LINK ${source_dir}/${lower} ${roots}/${room}/${lower} SYMBOLIC)
    endforeach()
  endforeach()
  set_property(GLOBAL PROPERTY STANDIN_ROOM_ROOTS ${roots})
endfunction()

# standin_room_sees(TARGET ROOM): TARGET's sources see ROOM and the rooms below.
# The host's declarations, which the plug-in shares, are in contract/.
function(standin_room_sees target room)
  get_property(roots GLOBAL PROPERTY STANDIN_ROOM_ROOTS)
  target_include_directories(${target} PRIVATE ${roots}/${room} ${PROJECT_SOURCE_DIR}/contract)
  set_property(GLOBAL APPEND PROPERTY STANDIN_ROOM_TARGETS ${target})
endfunction()

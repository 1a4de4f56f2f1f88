# Compiles one include at a time against a room's include root, as that
# room's own sources are compiled, and holds each to what the layers allow:
# a room below is seen, a room above is "No such file or directory".
#   cmake -DCXX=... -DROOTS=... -DCONTRACT=... -DWORK=... -DTOP=... -P compile_includes.cmake
set(cases
  # room     header                        sees
  "scenario  base/native_names.h           yes"
  "trace     scenario/scenario.h           yes"
  "checks    trace/trace.h                 yes"
  "host      checks/expectations.h         yes"
  "judge     judge/judge.h                 yes"
  "chaos     judge/judge.h                 yes"
  "base      scenario/scenario.h           no"
  "scenario  trace/trace.h                 no"
  "scenario  checks/expectations.h         no"
  "trace     checks/expectations.h         no"
  "checks    host/standin_host.h           no"
  "host      judge/judge.h                 no"
  "judge     suite/suite_report.h          no"
  "chaos     vantomere/session_story.h     no"
)
file(MAKE_DIRECTORY ${WORK})
set(failures "")
foreach(case ${cases})
  string(REGEX REPLACE " +" ";" fields "${case}")
  list(GET fields 0 room)
  list(GET fields 1 header)
  list(GET fields 2 sees)
  set(probe ${WORK}/${room}_probe.cpp)
  file(WRITE ${probe} "#include \"${header}\"\n")
  execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only -I${ROOTS}/${room} -I${CONTRACT} ${probe}
                  RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  if(sees STREQUAL "yes" AND NOT result EQUAL 0)
    string(APPEND failures "${room} should see ${header}:\n${errors}\n")
  elseif(sees STREQUAL "no")
    if(result EQUAL 0)
      string(APPEND failures "${room} sees ${header}, a room above it\n")
    elseif(NOT errors MATCHES "${header}: No such file or directory")
      string(APPEND failures "${room} failed to compile ${header} for another reason:\n${errors}\n")
    endif()
  endif()
endforeach()

# Neither side reaches into the other by a path: the stand-in and the plug-in
# share only contract/.
foreach(side "standin;src/" "src;standin/")
  list(GET side 0 folder)
  list(GET side 1 other)
  file(GLOB_RECURSE sources ${TOP}/${folder}/*.h ${TOP}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*${other}")
    if(includes)
      string(APPEND failures "${source} includes from ${other}: ${includes}\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()

# Compiles one include at a time against a room's include root, as that
# room's own sources are compiled, and holds each to what the layers allow:
# a room below is seen, a room above is "No such file or directory".
#   cmake -DCXX=... -DROOTS=... -DSRC=... -DWORK=... -P compile_includes.cmake
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
  execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only -I${ROOTS}/${room} -I${SRC} ${probe}
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
if(failures)
  message(FATAL_ERROR "${failures}")
endif()

# The two searches the trigonometry's error budgets rest on, built where MPFR
# is found: by the bench for the full runs, by the tests for a short run of
# each over a range that holds its extreme.
find_library(MPFR_LIBRARY mpfr)
find_path(MPFR_INCLUDE_DIR mpfr.h)
if(MPFR_LIBRARY AND MPFR_INCLUDE_DIR AND NOT TARGET half_pi_approach_search)
  find_package(Threads REQUIRED)
  foreach(search half_pi_approach_search rounding_midpoint_search)
    add_executable(${search} ${CMAKE_CURRENT_LIST_DIR}/${search}.cpp)
    target_include_directories(${search} PRIVATE ${MPFR_INCLUDE_DIR})
    target_link_libraries(${search} PRIVATE vantomere_trigonometry_internal ${MPFR_LIBRARY} Threads::Threads)
    vantomere_warnings(${search})
  endforeach()
endif()

# Every product and sum of the plug-in's code rounded on its own, with every
# compiler, for the library and all that includes its headers: the gore
# shot's start point must be bit-exact, and the trigonometry's double-double
# steps count on it.
function(vantomere_no_fused_multiply_add target)
  if(MSVC)
    target_compile_options(${target} PUBLIC /fp:precise)
  else()
    target_compile_options(${target} PUBLIC -ffp-contract=off)
  endif()
endfunction()

#include "fuzz_check.h"

#include <cstdio>
#include <cstdlib>

void check(bool holds, const std::string& what) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
  std::abort();
}

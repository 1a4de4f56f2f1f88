#pragma once

#include "trigonometry/room_only.h"

// A road called outside the range it was built for reads past its table or
// answers wrongly without a word. Where VANTOMERE_CHECKS is defined (the
// native and sanitizer builds, where the tests run) such a call stops the
// program with a message instead; the player's DLL and the bench leave the
// checks out, the public function never calling a road outside its range.
#ifdef VANTOMERE_CHECKS
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void failRangeCheck(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: range check failed: %s\n", file, line, what);
  std::abort();
}

#define VANTOMERE_RANGE_CHECK(condition, what) ((condition) ? void(0) : failRangeCheck(what, __FILE__, __LINE__))
#else
// Unevaluated: no code, but the names in the condition count as used.
#define VANTOMERE_RANGE_CHECK(condition, what) ((void)sizeof(condition))
#endif

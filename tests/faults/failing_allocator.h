#pragma once

#include <cstddef>

// The fault tests' own global allocation functions. They count the
// plug-in's allocations and can refuse them, as an exhausted memory would:
// one allocation in turn, or every one from some point until memory is back.
namespace failing_allocator {

// Allocations so far, and those refused since the last arming.
std::size_t count();
std::size_t refused();

// The nth allocation from now (counting from 1) fails; later ones succeed.
void failOnly(std::size_t nth);
// The nth allocation from now and every later one fail, until restore().
void failFrom(std::size_t nth);
void restore();

// The stand-in host is the game, not the plug-in: while one of these lives,
// allocations are neither counted nor refused.
class Exempt {
 public:
  Exempt();
  ~Exempt();
  Exempt(const Exempt&) = delete;
  Exempt& operator=(const Exempt&) = delete;
};

}  // namespace failing_allocator

#pragma once

#include <cstddef>

// How many times the global operator new has run in this process; the test
// binary replaces it to count, so a test can show that a path allocates nothing.
std::size_t allocationCount();

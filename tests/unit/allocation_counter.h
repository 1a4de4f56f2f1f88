#pragma once

#include <cstddef>

// How many times the global operator new has run in this process; the test
// binary replaces it to count, so a test can show that a path allocates nothing.
std::size_t allocationCount();

// How many bytes the global operator new has handed out in this process, all
// told (freed ones included): a bound on what a path ever held at once.
std::size_t allocatedBytes();

#include "failing_allocator.h"

#include <cstdlib>
#include <new>

namespace failing_allocator {

namespace {

// The tests are single-threaded; the plug-in's keyboard handler never allocates.
std::size_t allocations = 0;
std::size_t refusals = 0;
std::size_t firstRefused = 0;  // 0: none
std::size_t lastRefused = 0;
int exemptDepth = 0;

bool refuseNext() {
  if (exemptDepth > 0) return false;
  ++allocations;
  const bool refuse = firstRefused != 0 && allocations >= firstRefused && allocations <= lastRefused;
  refusals += refuse ? 1 : 0;
  return refuse;
}

void* allocate(std::size_t size) {
  if (refuseNext()) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size) noexcept {
  if (refuseNext()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

std::size_t count() { return allocations; }
std::size_t refused() { return refusals; }

void failOnly(std::size_t nth) {
  refusals = 0;
  firstRefused = allocations + nth;
  lastRefused = firstRefused;
}

void failFrom(std::size_t nth) {
  refusals = 0;
  firstRefused = allocations + nth;
  lastRefused = static_cast<std::size_t>(-1);
}

void restore() { firstRefused = lastRefused = 0; }

Exempt::Exempt() { ++exemptDepth; }
Exempt::~Exempt() { --exemptDepth; }

}  // namespace failing_allocator

void* operator new(std::size_t size) { return failing_allocator::allocate(size); }
void* operator new[](std::size_t size) { return failing_allocator::allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return failing_allocator::allocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return failing_allocator::allocateOrNull(size);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

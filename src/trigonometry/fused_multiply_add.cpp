#include "trigonometry/fused_multiply_add.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>

namespace {

constexpr unsigned kFusedMultiplyAdd = 1u << 12;
constexpr unsigned kSystemSavesState = 1u << 27;  // OSXSAVE: XGETBV may be asked
constexpr unsigned kAvx = 1u << 28;
constexpr unsigned kSseAndAvxState = 0x6;  // XCR0 bits 1 and 2

}  // namespace

bool processorFusesMultiplyAdd() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
  const unsigned needed = kFusedMultiplyAdd | kSystemSavesState | kAvx;
  if ((ecx & needed) != needed) return false;
  unsigned stateLow = 0, stateHigh = 0;
  __asm__ volatile("xgetbv" : "=a"(stateLow), "=d"(stateHigh) : "c"(0));
  return (stateLow & kSseAndAvxState) == kSseAndAvxState;
}

#else

bool processorFusesMultiplyAdd() { return false; }

#endif

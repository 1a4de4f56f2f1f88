#pragma once

#include "trigonometry/room_only.h"

// A fused multiply-add rounds a * b + c once, so the error of a product comes
// out of one instruction: the trigonometry's quick road has a form built on it
// beside the one built on split factors. The plug-in is built for every x86-64
// processor, so the instruction is used only inside functions marked with
// VANTOMERE_FUSED_ROAD, and those are called only where the processor and the
// system both support it. Elsewhere in the plug-in nothing is fused
// (-ffp-contract=off): results there must not depend on the processor.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VANTOMERE_FUSED_ROAD __attribute__((target("fma")))
#else
#define VANTOMERE_FUSED_ROAD
#endif

// Whether the processor has the instruction and the system saves the AVX
// registers that carry it; false where the compiler cannot target it.
bool processorFusesMultiplyAdd();

// Where code lies and how it was reached, told without the loader lock: a
// thread that faults in DllMain holds it, and GetModuleHandleEx or
// GetModuleFileName would wait on it for ever. Modules are found by
// VirtualQuery's allocation base and named from the loader's own list read in
// place; stacks are unwound with RtlLookupFunctionEntry and RtlVirtualUnwind.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace standin::win {

// Notes the stand-in's own modules and the system folder, once, before any
// plug-in runs: code in neither is the plug-in's.
void rememberHostModules();

struct CodeModule {
  const void* base = nullptr;
  std::string name;     // the file name it was loaded under; empty outside every module
  bool plugin = false;  // neither the stand-in's nor a system library
};
CodeModule moduleAt(const void* address);

// "NAME+0xOFFSET", or the bare address outside every module.
std::string placeOf(const void* address);

// The code addresses of a stack, innermost first: where `context` stands,
// then for each caller an address inside its call instruction. The probe
// ___chkstk_ms, which has no unwind data, is stepped over by hand.
std::vector<const void*> stackOf(const CONTEXT& context, std::size_t limit);

// Those in plug-in modules, in order.
std::vector<const void*> pluginFramesOf(const std::vector<const void*>& stack);

// What a report tells of where a fault happened: the innermost plug-in frame
// (the plug-in's call when the fault was raised in a system library), and its
// backtrace, or for a stack overflow the frames that repeated and where the
// recursion was entered. The first `runtimeFrames` plug-in frames are left
// out: those of the C++ runtime that the plug-in carries, which throws.
struct FaultPlace {
  std::string at;      // "PLACE", or "PLACE (raised in PLACE)"
  std::string frames;  // "; backtrace: PLACE..." or "; recursion: ..."; may be empty
};
FaultPlace placeOfFault(const CONTEXT& context, const void* faultAddress, bool overflow, std::size_t runtimeFrames);

}  // namespace standin::win

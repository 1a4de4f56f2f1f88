#include "host/plugin_memory_win.h"

#include <windows.h>

#include <cstdint>

namespace standin::win {

namespace {

const void* executableImage() {
  static const void* const image = GetModuleHandleW(nullptr);
  return image;
}

const void* standinImage() {
  static const void* const image = imageHolding(reinterpret_cast<const void*>(&standinImage));
  return image;
}

bool writableRegion(const MEMORY_BASIC_INFORMATION& info) {
  constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) != 0 || (info.Protect & kWritable) == 0) return false;
  return info.Type != MEM_IMAGE || (info.AllocationBase != executableImage() && info.AllocationBase != standinImage());
}

// Both images are known before the plug-in is loaded: asked later, from its
// DllMain, the loader's lock is held.
const bool g_imagesKnown = executableImage() != nullptr && standinImage() != nullptr;

}  // namespace

const void* imageHolding(const void* address) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(address, &info, sizeof info) == 0) return nullptr;
  return info.State == MEM_COMMIT && info.Type == MEM_IMAGE ? info.AllocationBase : nullptr;
}

bool pluginWritable(const void* address, std::size_t size) {
  const auto* at = static_cast<const char*>(address);
  const auto first = reinterpret_cast<std::uintptr_t>(at);
  if (size == 0 || first + size < first) return false;
  // The bytes may span regions: each must do.
  for (const char* end = at + size; at < end;) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(at, &info, sizeof info) == 0 || !writableRegion(info)) return false;
    at = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
  }
  return true;
}

const char* foreignCode(const void* module, const void* code) {
  if (module && module == executableImage()) return "for the executable's module (GetModuleHandle(NULL))";
  if (module && module == standinImage()) return "for the stand-in's ScriptHookRDR2.dll";
  const void* image = imageHolding(code);
  if (image && image == executableImage()) return "of code in the executable";
  if (image && image == standinImage()) return "of code in the stand-in's ScriptHookRDR2.dll";
  if (module && image != module) return "of code outside its module";
  return nullptr;
}

}  // namespace standin::win

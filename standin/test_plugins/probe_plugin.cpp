// A well-behaved plug-in that hands every answer it gets back to the host,
// so a trace shows what reached the plug-in: results, out-variables,
// vectors and the last keyboard message.
#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "script_host.h"
#include "test_plugin_entry.h"

namespace {

volatile std::uint64_t g_lastKey[7] = {};

void onKey(HostDword code, HostWord repeats, HostByte scan, HostBool extended, HostBool alt,
           HostBool wasDown, HostBool upNow) {
  const std::uint64_t args[7] = {code, repeats, scan, static_cast<std::uint32_t>(extended),
                                 static_cast<std::uint32_t>(alt), static_cast<std::uint32_t>(wasDown),
                                 static_cast<std::uint32_t>(upNow)};
  for (int i = 0; i < 7; ++i) g_lastKey[i] = args[i];
}

std::uint64_t* call0(std::uint64_t hash) {
  nativeInit(hash);
  return nativeCall();
}

void callWith(std::uint64_t hash, std::initializer_list<std::uint64_t> args) {
  nativeInit(hash);
  for (std::uint64_t arg : args) nativePush64(arg);
  nativeCall();
}

void frame() {
  const std::uint64_t whole = call0(0x1111)[0];
  callWith(0x2222, {whole});

  std::uint32_t out = 0;
  nativeInit(0x3333);
  nativePush64(reinterpret_cast<std::uintptr_t>(&out));
  nativePush64(reinterpret_cast<std::uintptr_t>("probe \"text\""));
  nativeCall();
  callWith(0x4444, {out});

  const std::uint64_t* v = call0(0x5555);
  callWith(0x6666, {v[0] & 0xFFFFFFFFu, v[1] & 0xFFFFFFFFu, v[2] & 0xFFFFFFFFu});

  nativeInit(0x7777);
  for (int i = 0; i < 7; ++i) nativePush64(g_lastKey[i]);
  nativeCall();
}

void script() {
  scriptWait(250);  // frames pass before the first one
  for (;;) {
    frame();
    scriptWait(0);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return test_plugin::registerAtAttach(module, reason, script, onKey);
}

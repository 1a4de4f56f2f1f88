// The eight functions a script plug-in imports from the game's script host,
// ScriptHookRDR2.dll. Plug-in authors get this file as script_host.h in the kit.
//
// Linking: with MinGW-w64 (GCC or clang) the functions are declared extern "C"
// under their plain names, and the import library made from
// ScriptHookRDR2.def (dlltool -d ScriptHookRDR2.def -l libScriptHookRDR2.a)
// maps each plain name to the host's C++ decorated export; GCC's own C++
// mangling would not match it. With MSVC they are declared with C++ linkage
// in the global namespace, so the compiler references the decorated names
// itself; the import library comes from ScriptHookRDR2.msvc.def (lib /def:).
//
// A native call is nativeInit(hash), one nativePush64 per argument in the
// native's parameter order, then nativeCall(). Each argument is one 64-bit slot:
//   32-bit int, handle, hash, bool  the value in the low 32 bits, the upper 32
//                                   bits zero whatever the sign: -1 is
//                                   0x00000000FFFFFFFF (cast to uint32_t first,
//                                   never sign-extend); a bool is 0 or 1
//   float                           its IEEE 754 bit pattern in the low 32 bits,
//                                   upper bits zero: 1.0f is 0x3F800000
//   vector                          three float slots: x, y, z
//   text                            the address of a NUL-terminated string, which
//                                   must live until nativeCall returns
//   out-variable                    the address of a 32-bit variable of yours;
//                                   the game writes it during nativeCall
//   64-bit value a native returned  pushed unchanged
// nativeCall returns the result slots (never null, at least three); the next
// call overwrites them, so copy what you need first:
//   int, handle, hash, bool         the low 32 bits of slot 0; a bool is true
//                                   when those are not zero
//   64-bit value                    all of slot 0
//   vector                          x, y, z as floats at bytes 0, 8 and 16, each
//                                   in the low half of its slot; the upper halves
//                                   may hold anything
// Natives and scriptWait may be called only from the script entry given to
// scriptRegister, which runs on a fiber of the host's: never from DllMain or
// the keyboard handler (that runs on the game window's thread).
#pragma once

#include <cstdint>

// Types spelled so that MSVC decorates the declarations exactly as the host's
// exports are named, without needing <windows.h>; they agree with it when it
// is included too.
struct HINSTANCE__;
using HostModule = HINSTANCE__*;  // HMODULE
#ifdef _WIN32
using HostDword = unsigned long;  // DWORD: 32 bits on Windows
#else
using HostDword = std::uint32_t;
#endif
using HostWord = unsigned short;  // WORD
using HostByte = unsigned char;   // BYTE
using HostBool = int;             // BOOL

// Never returns: it loops, calling scriptWait at least once per frame.
using ScriptEntryFunction = void (*)();
// key code, repeat count, scan code, extended key, ALT held, was down before,
// is up now (a press has the last two 0, a release 1).
using KeyboardHandlerFunction = void (*)(HostDword, HostWord, HostByte, HostBool,
                                         HostBool, HostBool, HostBool);

#ifdef _MSC_VER
#define SCRIPT_HOST_LINKAGE
#else
#define SCRIPT_HOST_LINKAGE extern "C"
#endif

// Call these two from DllMain on process attach, and their counterparts on
// process detach: the host unloads and reloads plug-ins while the game runs.
SCRIPT_HOST_LINKAGE void scriptRegister(HostModule module, ScriptEntryFunction entry);
SCRIPT_HOST_LINKAGE void scriptUnregister(HostModule module);
SCRIPT_HOST_LINKAGE void keyboardHandlerRegister(KeyboardHandlerFunction handler);
SCRIPT_HOST_LINKAGE void keyboardHandlerUnregister(KeyboardHandlerFunction handler);

// Lets the game run for `milliseconds` before the script goes on; 0 ends the
// script's part of this frame and resumes it in the next.
SCRIPT_HOST_LINKAGE void scriptWait(HostDword milliseconds);

SCRIPT_HOST_LINKAGE void nativeInit(std::uint64_t nativeHash);
SCRIPT_HOST_LINKAGE void nativePush64(std::uint64_t slot);
SCRIPT_HOST_LINKAGE std::uint64_t* nativeCall();

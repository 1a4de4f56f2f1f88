// The eight functions the plug-in imports from the script host.
#pragma once

#include <cstdint>

// Types spelled so that MSVC decorates the declarations exactly as the host's
// exports are named, without pulling <windows.h> into every file.
struct HINSTANCE__;
using HostModule = HINSTANCE__*;
#ifdef _WIN32
using HostDword = unsigned long;  // DWORD: 32 bits on Windows
#else
using HostDword = std::uint32_t;
#endif
using HostWord = unsigned short;
using HostByte = unsigned char;
using HostBool = int;

using ScriptEntryFunction = void (*)();
using KeyboardHandlerFunction = void (*)(HostDword, HostWord, HostByte, HostBool,
                                         HostBool, HostBool, HostBool);

// MSVC references the host's decorated C++ names itself. GCC's C++ mangling
// differs from MSVC's, so there the plain C names are imported and the
// import library made from ScriptHookRDR2.def maps them to the decorated ones.
#ifdef _MSC_VER
#define VANTOMERE_HOST_LINKAGE
#else
#define VANTOMERE_HOST_LINKAGE extern "C"
#endif

VANTOMERE_HOST_LINKAGE void scriptRegister(HostModule module, ScriptEntryFunction entry);
VANTOMERE_HOST_LINKAGE void scriptUnregister(HostModule module);
VANTOMERE_HOST_LINKAGE void scriptWait(HostDword milliseconds);
VANTOMERE_HOST_LINKAGE void keyboardHandlerRegister(KeyboardHandlerFunction handler);
VANTOMERE_HOST_LINKAGE void keyboardHandlerUnregister(KeyboardHandlerFunction handler);
VANTOMERE_HOST_LINKAGE void nativeInit(std::uint64_t nativeHash);
VANTOMERE_HOST_LINKAGE void nativePush64(std::uint64_t slot);
VANTOMERE_HOST_LINKAGE std::uint64_t* nativeCall();

// What the ABI twins (abi_ending_plugin.cpp) need of Windows and of the C++
// library, whichever compiler builds them. MinGW-w64 has both; a build for
// Microsoft's ABI here has neither an SDK nor Microsoft's library, so what
// those would give is written out by hand, in their layout.
#pragma once

#if defined(_MSC_VER)

#include <stdint.h>

using DWORD = unsigned long;
using BOOL = int;
using HANDLE = void*;
using LPVOID = void*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
#define WINAPI __stdcall
#define TRUE 1
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD FILE_SHARE_READ = 1;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_PROCESS_DETACH = 0;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

extern "C" {
__declspec(dllimport) HANDLE WINAPI CreateThread(void*, unsigned long long, DWORD(WINAPI*)(void*), void*, DWORD, DWORD*);
__declspec(dllimport) DWORD WINAPI WaitForSingleObject(HANDLE, DWORD);
__declspec(dllimport) BOOL WINAPI CloseHandle(HANDLE);
__declspec(dllimport) HANDLE WINAPI CreateFileA(const char*, DWORD, DWORD, void*, DWORD, DWORD, HANDLE);
__declspec(dllimport) BOOL WINAPI ReadFile(HANDLE, void*, DWORD, DWORD*, void*);
__declspec(dllimport) void WINAPI RaiseException(DWORD, DWORD, DWORD, const uintptr_t*);
}

// Microsoft's std::exception: the deleting destructor and what() in its
// virtual table, then the text and whether it owns it.
namespace std {
class exception {
 public:
  exception() noexcept : data_{nullptr, false} {}
  explicit exception(const char* what) noexcept : data_{what, false} {}
  exception(const exception& other) noexcept : data_(other.data_) {}
  virtual ~exception() noexcept {}
  virtual const char* what() const noexcept { return data_.what ? data_.what : "Unknown exception"; }

 private:
  struct {
    const char* what;
    bool doFree;
  } data_;
};

class runtime_error : public exception {
 public:
  explicit runtime_error(const char* what) noexcept : exception(what) {}
};
}  // namespace std

#else

#include <windows.h>

#include <cstdint>
#include <stdexcept>

#endif

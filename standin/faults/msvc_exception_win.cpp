#include "faults/msvc_exception_win.h"

#include <cstring>
#include <map>

#include "faults/cxx_exception_win.h"
#include "faults/guarded_call_win.h"
#include "faults/msvc_throw_record.h"

namespace standin::win {

namespace {

bool readMapped(std::uint64_t address, void* into, std::size_t size) {
  const void* from = reinterpret_cast<const void*>(static_cast<ULONG_PTR>(address));
  if (!readable(from, size)) return false;
  std::memcpy(into, from, size);
  return true;
}

struct WhatCall {
  const void* object;
  const char* (*what)(const void*);
  const char* text;
};

void callWhatOf(void* argument) {
  auto* call = static_cast<WhatCall*>(argument);
  call->text = call->what(call->object);
}

// what() is slot 1 of the virtual table (slot 0 is the deleting
// destructor); the plug-in's runtime is of the same calling convention.
bool callWhat(std::uint64_t object, std::string& text) {
  const void* const* table = nullptr;
  const void* slot = nullptr;
  if (!readMapped(object, &table, sizeof table) || !readMapped(reinterpret_cast<ULONG_PTR>(table + 1), &slot, sizeof slot) ||
      !executable(slot))
    return false;
  WhatCall call{reinterpret_cast<const void*>(static_cast<ULONG_PTR>(object)), nullptr, nullptr};
  call.what = reinterpret_cast<const char* (*)(const void*)>(const_cast<void*>(slot));
  if (!callGuarded(&callWhatOf, &call) || !call.text) return false;
  return standin::readText(reinterpret_cast<ULONG_PTR>(call.text), 900, &readMapped, text);
}

// What each thread threw last, for its rethrows; the describer alone reads and writes it.
std::map<DWORD, std::string>& lastThrown() {
  static std::map<DWORD, std::string> thrown;
  return thrown;
}

std::vector<std::uint64_t> parametersOf(const EXCEPTION_RECORD& record) {
  const DWORD count = record.NumberParameters < EXCEPTION_MAXIMUM_PARAMETERS ? record.NumberParameters
                                                                             : EXCEPTION_MAXIMUM_PARAMETERS;
  return std::vector<std::uint64_t>(record.ExceptionInformation, record.ExceptionInformation + count);
}

}  // namespace

bool isMsvcThrown(const EXCEPTION_RECORD& record) {
  const std::vector<std::uint64_t> parameters = parametersOf(record);
  return isMsvcThrow(record.ExceptionCode, parameters.data(), parameters.size());
}

ULONG_PTR msvcThrownObject(const EXCEPTION_RECORD& record) {
  return record.NumberParameters >= 2 ? record.ExceptionInformation[1] : 0;
}

std::string describeMsvcThrown(const EXCEPTION_RECORD& record, DWORD thread) {
  const std::vector<std::uint64_t> parameters = parametersOf(record);
  const MsvcThrow thrown = readMsvcThrow(parameters.data(), parameters.size(), &readMapped);
  if (thrown.rethrow) {
    const auto last = lastThrown().find(thread);
    return last != lastThrown().end() ? last->second : "a rethrown exception of a type unknown";
  }
  std::string text = describeMsvcThrow(thrown, &readMapped, &callWhat);
  if (text.empty()) text = kDamagedThrow;
  lastThrown()[thread] = text;
  return text;
}

void catchMsvcAbort(void (*handler)(int)) {
  const HMODULE runtime = LoadLibraryA("ucrtbase.dll");
  if (!runtime) return;
  using Signal = void (*(*)(int, void (*)(int)))(int);
  using AbortBehavior = unsigned int (*)(unsigned int, unsigned int);
  constexpr int kSigAbort = 22;
  constexpr unsigned int kAbortMessageAndReport = 0x1 | 0x2;
  if (const auto signal = reinterpret_cast<Signal>(reinterpret_cast<void*>(GetProcAddress(runtime, "signal")))) signal(kSigAbort, handler);
  if (const auto behavior = reinterpret_cast<AbortBehavior>(reinterpret_cast<void*>(GetProcAddress(runtime, "_set_abort_behavior"))))
    behavior(0, kAbortMessageAndReport);
}

}  // namespace standin::win

#include "faults/cxx_exception_win.h"

#include <cxxabi.h>
#include <unwind.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <typeinfo>

#include "faults/guarded_call_win.h"
#include "faults/msvc_exception_win.h"

namespace standin::win {

namespace {

// The header GCC's runtime puts before the _Unwind_Exception of every throw
// (__cxa_exception of the Itanium C++ ABI); the thrown object follows the
// _Unwind_Exception. A rethrown std::exception_ptr has a header of the same
// size whose first field points at the object instead.
struct ThrowHeader {
  std::type_info* type;
  void (*destructor)(void*);
  void (*unexpectedHandler)();
  void (*terminateHandler)();
  ThrowHeader* next;
  int handlerCount;
  int handlerSwitchValue;
  const unsigned char* actionRecord;
  const unsigned char* languageSpecificData;
  std::uintptr_t catchTemp;
  void* adjustedPtr;
  _Unwind_Exception unwindHeader;
};

constexpr std::uint64_t kGccClass = 0x474E5543432B2B00;  // "GNUCC++\0"
constexpr std::uint64_t kGccDependentClass = kGccClass + 1;

std::string demangled(const char* name) {
  int status = 0;
  char* readable = abi::__cxa_demangle(name, nullptr, nullptr, &status);
  std::string text = status == 0 && readable ? readable : name;
  std::free(readable);
  return text;
}

// what() of a std::exception, asked through the plug-in's own type
// information, which compares types by their names across runtimes.
std::string whatOf(const std::type_info& type, void* object) {
  if (type == typeid(const char*) || type == typeid(char*)) return *static_cast<const char* const*>(object);
  void* adjusted = object;
  if (!typeid(std::exception).__do_catch(&type, &adjusted, 1)) return "";
  const char* text = static_cast<const std::exception*>(adjusted)->what();
  return text ? text : "";
}

// What the record says was thrown; its type's name and what() are read
// apart, each under its own guard: a what() that faults leaves the type.
struct GccThrow {
  const EXCEPTION_RECORD* record;
  const std::type_info* type = nullptr;
  void* object = nullptr;
  std::string text;  // the type, demangled; "a foreign exception"; or what()
};

void readGccThrow(void* argument) {
  auto* thrown = static_cast<GccThrow*>(argument);
  const EXCEPTION_RECORD& record = *thrown->record;
  auto* unwind = record.NumberParameters < 1 ? nullptr : reinterpret_cast<_Unwind_Exception*>(record.ExceptionInformation[0]);
  if (!unwind) return;
  const std::uint64_t kind = unwind->exception_class;
  if (kind != kGccClass && kind != kGccDependentClass) {
    thrown->text = "a foreign exception";
    return;
  }
  void* object = unwind + 1;
  ThrowHeader* header = reinterpret_cast<ThrowHeader*>(object) - 1;
  if (kind == kGccDependentClass) {
    object = reinterpret_cast<void*>(header->type);
    header = static_cast<ThrowHeader*>(object) - 1;
  }
  if (!header->type) return;
  thrown->type = header->type;
  thrown->object = object;
  thrown->text = demangled(header->type->name());
}

void readGccWhat(void* argument) {
  auto* thrown = static_cast<GccThrow*>(argument);
  thrown->text = whatOf(*thrown->type, thrown->object);
}

}  // namespace

bool isCxxThrow(const EXCEPTION_RECORD& record) {
  return record.ExceptionCode == kGccCxxException || isMsvcThrown(record);
}

ULONG_PTR thrownObjectOf(const EXCEPTION_RECORD& record) {
  if (record.ExceptionCode != kGccCxxException) return msvcThrownObject(record);
  return record.NumberParameters > 0 ? record.ExceptionInformation[0] : 0;
}

bool returnsToTerminate(const EXCEPTION_RECORD& record) {
  return record.ExceptionCode == kGccCxxException && !(record.ExceptionFlags & EXCEPTION_NONCONTINUABLE);
}

std::string describeThrown(const EXCEPTION_RECORD& record, DWORD thread) {
  if (record.ExceptionCode != kGccCxxException) return isMsvcThrown(record) ? describeMsvcThrown(record, thread) : "";
  GccThrow thrown{&record, nullptr, nullptr, ""};
  if (!callGuarded(&readGccThrow, &thrown)) return kDamagedThrow;
  if (!thrown.type) return thrown.text;
  const std::string type = thrown.text;
  thrown.text.clear();
  return callGuarded(&readGccWhat, &thrown) && !thrown.text.empty() ? type + ": " + thrown.text : type;
}

}  // namespace standin::win

// What a throw of Microsoft's C++ runtime (exception 0xE06D7363) holds, read
// from its record's parameters: the thrown object, its ThrowInfo and the
// image base that the ThrowInfo's 32-bit offsets count from on x64. Each
// read goes through a reader that may refuse (memory not mapped), so a
// damaged record gives a throw whose type is unknown and never a fault.
// Portable: tried natively on made-up records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

constexpr std::uint32_t kMsvcCxxException = 0xE06D7363;

// Copies `size` bytes at `address` into `into`; false where any is not readable.
using ReadMemory = std::function<bool(std::uint64_t address, void* into, std::size_t size)>;

// A type the throw can be caught as, with how to reach it from the object.
struct CatchableType {
  std::string name;          // decorated, e.g. ".?AVexception@std@@"
  std::int32_t memberDisplacement = 0;
  std::int32_t vbtableDisplacement = -1;  // -1: no virtual base on the way
  std::int32_t vbaseDisplacement = 0;
};

struct MsvcThrow {
  bool rethrow = false;  // `throw;`: no object and no ThrowInfo in the record
  bool damaged = false;  // the record or its type information could not be read
  std::uint64_t object = 0;
  std::vector<CatchableType> types;  // the thrown type first
};

// True for kMsvcCxxException with the runtime's magic number.
bool isMsvcThrow(std::uint32_t code, const std::uint64_t* parameters, std::size_t count);
MsvcThrow readMsvcThrow(const std::uint64_t* parameters, std::size_t count, const ReadMemory& read);

// The address of the object as `type`, or 0 when it cannot be reached.
std::uint64_t objectAs(const MsvcThrow& thrown, const CatchableType& type, const ReadMemory& read);

// The catchable type of that decorated name, or null.
const CatchableType* catchableAs(const MsvcThrow& thrown, const char* name);

// A NUL-terminated text at `address`, cut at `limit` characters; false when unreadable.
bool readText(std::uint64_t address, std::size_t limit, const ReadMemory& read, std::string& text);

// Calls what() of the std::exception at `object` as the plug-in's own code
// would; false when that could not be done or faulted.
using CallWhat = std::function<bool(std::uint64_t object, std::string& text)>;

// "TYPE: WHAT" as a C++ author reads it: the thrown type undecorated, and
// what() of a std::exception (called, else the text it stores), or the text
// of a thrown C string; the type alone otherwise. A rethrow or damaged
// record gives an empty text: the caller knows what else to say.
std::string describeMsvcThrow(const MsvcThrow& thrown, const ReadMemory& read, const CallWhat& callWhat);

}  // namespace standin

#include "faults/msvc_throw_record.h"

#include <algorithm>

#include "faults/msvc_type_names.h"

namespace standin {

namespace {

// The magic numbers of the runtime's versions of the record (the last two
// for a throw whose ThrowInfo says it is pure or from WinRT).
bool knownMagic(std::uint64_t magic) { return magic >= 0x19930520 && magic <= 0x19930522; }

// A bound on what a sound ThrowInfo lists: past it, the count is garbage.
constexpr std::int32_t kMostCatchableTypes = 256;
constexpr std::size_t kLongestTypeName = 512;
constexpr std::size_t kLongestWhat = 900;

template <typename T>
bool readValue(const ReadMemory& read, std::uint64_t address, T& value) {
  return address != 0 && read(address, &value, sizeof value);
}

// Offsets are from the image base; 0 is "none".
bool imageAddress(std::uint64_t base, std::int32_t offset, std::uint64_t& address) {
  if (offset == 0) return false;
  address = base + static_cast<std::uint64_t>(static_cast<std::int64_t>(offset));
  return true;
}

// ThrowInfo: attributes, the destructor, a forward-compatibility handler,
// the CatchableTypeArray; CatchableType: properties, its TypeDescriptor, the
// this-displacement (member, vbtable, within the vbtable), size, copy.
struct ThrowInfoFields {
  std::uint32_t attributes;
  std::int32_t destructor;
  std::int32_t forwardCompat;
  std::int32_t catchableTypes;
};
struct CatchableTypeFields {
  std::uint32_t properties;
  std::int32_t typeDescriptor;
  std::int32_t memberDisplacement;
  std::int32_t vbtableDisplacement;
  std::int32_t vbaseDisplacement;
  std::int32_t size;
  std::int32_t copyFunction;
};
// A TypeDescriptor's name follows its virtual table and a spare pointer.
constexpr std::uint64_t kTypeNameOffset = 16;

bool readCatchable(const ReadMemory& read, std::uint64_t base, std::int32_t offset, CatchableType& type) {
  std::uint64_t at = 0, descriptor = 0;
  CatchableTypeFields fields{};
  if (!imageAddress(base, offset, at) || !readValue(read, at, fields)) return false;
  if (!imageAddress(base, fields.typeDescriptor, descriptor)) return false;
  if (!readText(descriptor + kTypeNameOffset, kLongestTypeName, read, type.name) || type.name.empty()) return false;
  type.memberDisplacement = fields.memberDisplacement;
  type.vbtableDisplacement = fields.vbtableDisplacement;
  type.vbaseDisplacement = fields.vbaseDisplacement;
  return true;
}

}  // namespace

bool readText(std::uint64_t address, std::size_t limit, const ReadMemory& read, std::string& text) {
  text.clear();
  if (address == 0) return false;
  // By pieces that stay within a page, so that a text ending before an unmapped page reads.
  while (text.size() < limit) {
    char piece[64];
    const std::uint64_t at = address + text.size();
    const std::size_t toPage = static_cast<std::size_t>(0x1000 - (at & 0xFFF));
    std::size_t size = std::min(sizeof piece, toPage);
    // Short of a page's end, the text may still end before what cannot be read.
    if (!read(at, piece, size)) {
      if (!read(at, piece, 1)) return false;
      size = 1;
    }
    for (std::size_t i = 0; i < size; ++i) {
      if (piece[i] == '\0') return true;
      if (text.size() == limit) break;
      text += piece[i];
    }
  }
  return true;
}

bool isMsvcThrow(std::uint32_t code, const std::uint64_t* parameters, std::size_t count) {
  return code == kMsvcCxxException && count >= 3 && knownMagic(parameters[0]);
}

MsvcThrow readMsvcThrow(const std::uint64_t* parameters, std::size_t count, const ReadMemory& read) {
  MsvcThrow thrown;
  if (count < 3 || !knownMagic(parameters[0])) return thrown.damaged = true, thrown;
  thrown.object = parameters[1];
  if (parameters[1] == 0 && parameters[2] == 0) return thrown.rethrow = true, thrown;
  // A 32-bit record has no image base: its pointers are absolute.
  const std::uint64_t base = count >= 4 ? parameters[3] : 0;
  ThrowInfoFields info{};
  std::uint64_t array = 0;
  std::int32_t listed = 0;
  if (!readValue(read, parameters[2], info) || !imageAddress(base, info.catchableTypes, array) ||
      !readValue(read, array, listed) || listed <= 0 || listed > kMostCatchableTypes)
    return thrown.damaged = true, thrown;
  for (std::int32_t i = 0; i < listed; ++i) {
    std::int32_t offset = 0;
    CatchableType type;
    if (!readValue(read, array + 4 + 4 * static_cast<std::uint64_t>(i), offset) ||
        !readCatchable(read, base, offset, type))
      return thrown.damaged = true, thrown;
    thrown.types.push_back(type);
  }
  return thrown;
}

std::uint64_t objectAs(const MsvcThrow& thrown, const CatchableType& type, const ReadMemory& read) {
  if (thrown.object == 0) return 0;
  std::uint64_t at = thrown.object;
  if (type.vbtableDisplacement >= 0) {
    // Through a virtual base: the vbtable's entry gives the base's offset.
    std::uint64_t vbtable = 0;
    std::int32_t vbase = 0;
    at += static_cast<std::uint64_t>(static_cast<std::int64_t>(type.vbtableDisplacement));
    if (!readValue(read, at, vbtable) ||
        !readValue(read, vbtable + static_cast<std::uint64_t>(static_cast<std::int64_t>(type.vbaseDisplacement)), vbase))
      return 0;
    at += static_cast<std::uint64_t>(static_cast<std::int64_t>(vbase));
  }
  return at + static_cast<std::uint64_t>(static_cast<std::int64_t>(type.memberDisplacement));
}

const CatchableType* catchableAs(const MsvcThrow& thrown, const char* name) {
  for (const CatchableType& type : thrown.types)
    if (type.name == name) return &type;
  return nullptr;
}

std::string describeMsvcThrow(const MsvcThrow& thrown, const ReadMemory& read, const CallWhat& callWhat) {
  if (thrown.rethrow || thrown.damaged || thrown.types.empty()) return "";
  const std::string& decorated = thrown.types.front().name;
  std::string type = undecoratedTypeName(decorated);
  if (type.empty()) type = decorated.substr(decorated[0] == '.' ? 1 : 0);
  std::string what;
  if (const CatchableType* exception = catchableAs(thrown, ".?AVexception@std@@")) {
    const std::uint64_t object = objectAs(thrown, *exception, read);
    std::uint64_t stored = 0;
    // The runtime's std::exception keeps its text after the virtual table.
    if (object != 0 && !callWhat(object, what) && readValue(read, object + 8, stored))
      readText(stored, kLongestWhat, read, what);
  } else if (decorated == ".PEBD" || decorated == ".PEAD") {
    std::uint64_t text = 0;
    if (readValue(read, thrown.object, text)) readText(text, kLongestWhat, read, what);
  }
  return what.empty() ? type : type + ": " + what;
}

}  // namespace standin

// Throws of Microsoft's C++ runtime read from made-up records: the layout
// the session's process reads from a plug-in, sound and damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "faults/msvc_throw_record.h"
#include "faults/msvc_type_names.h"

namespace {

using standin::describeMsvcThrow;
using standin::MsvcThrow;
using standin::readMsvcThrow;

constexpr std::uint64_t kMagic = 0x19930520;
constexpr std::uint64_t kBase = 0x180000000;
constexpr std::uint64_t kObject = 0x5000;

// An address space of separate mapped pieces; a read must lie within one.
class Memory {
 public:
  void put(std::uint64_t address, const void* bytes, std::size_t size) {
    auto& piece = pieces_[address];
    piece.assign(static_cast<const unsigned char*>(bytes), static_cast<const unsigned char*>(bytes) + size);
  }
  template <typename... Ints>
  void putInts(std::uint64_t address, Ints... values) {
    const std::int32_t ints[] = {static_cast<std::int32_t>(values)...};
    put(address, ints, sizeof ints);
  }
  void put64(std::uint64_t address, std::vector<std::uint64_t> values) {
    put(address, values.data(), values.size() * 8);
  }
  void putText(std::uint64_t address, const std::string& text) { put(address, text.c_str(), text.size() + 1); }
  void unmap(std::uint64_t address) { pieces_.erase(address); }

  bool read(std::uint64_t address, void* into, std::size_t size) const {
    for (const auto& [start, bytes] : pieces_)
      if (address >= start && address + size <= start + bytes.size()) {
        std::memcpy(into, bytes.data() + (address - start), size);
        return true;
      }
    return false;
  }
  standin::ReadMemory reader() const {
    return [this](std::uint64_t address, void* into, std::size_t size) { return read(address, into, size); };
  }

 private:
  std::map<std::uint64_t, std::vector<unsigned char>> pieces_;
};

// A TypeDescriptor: virtual table, spare, then the name.
void putDescriptor(Memory& memory, std::uint64_t offset, const std::string& name) {
  std::string bytes(16, '\0');
  bytes += name;
  memory.put(kBase + offset, bytes.c_str(), bytes.size() + 1);
}

// The ThrowInfo at +0x100 lists the given types, each a CatchableType at
// +0x300 + 0x40 * i whose descriptor is at +0x400 + 0x80 * i.
void putThrowInfo(Memory& memory, const std::vector<std::string>& names, std::int32_t exceptionDisplacement = 0) {
  memory.putInts(kBase + 0x100, 0, 0, 0, 0x200);
  std::vector<std::int32_t> array = {static_cast<std::int32_t>(names.size())};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto type = static_cast<std::int32_t>(0x300 + 0x40 * i);
    const auto descriptor = static_cast<std::int32_t>(0x400 + 0x80 * i);
    array.push_back(type);
    const std::int32_t displacement = names[i] == ".?AVexception@std@@" ? exceptionDisplacement : 0;
    memory.putInts(kBase + static_cast<std::uint64_t>(type), 0, descriptor, displacement, -1, 0, 24, 0);
    putDescriptor(memory, static_cast<std::uint64_t>(descriptor), names[i]);
  }
  memory.put(kBase + 0x200, array.data(), array.size() * 4);
}

const std::vector<std::uint64_t> kRecord = {kMagic, kObject, kBase + 0x100, kBase};

// An object of a type derived from std::exception: its virtual table, then the stored text.
Memory exceptionThrow(const std::vector<std::string>& names) {
  Memory memory;
  putThrowInfo(memory, names);
  memory.put64(kObject, {0x6000, 0x7000, 0});
  memory.putText(0x7000, "the stored text");
  return memory;
}

std::string describe(const Memory& memory, const std::vector<std::uint64_t>& record, const char* whatGives) {
  const MsvcThrow thrown = readMsvcThrow(record.data(), record.size(), memory.reader());
  return describeMsvcThrow(thrown, memory.reader(), [&](std::uint64_t, std::string& text) {
    if (!whatGives) return false;
    text = whatGives;
    return true;
  });
}

TEST(MsvcTypeNames, AreWrittenAsTheirAuthorWritesThem) {
  const struct {
    const char* decorated;
    const char* written;
  } cases[] = {
      {".?AVruntime_error@std@@", "std::runtime_error"},
      {".?AUaim_lost@@", "aim_lost"},
      {".?AVinner@outer@game@@", "game::outer::inner"},
      {".?AW4mode@@", "mode"},
      {".?ATvalue@@", "value"},
      {".H", "int"},
      {".I", "unsigned int"},
      {".N", "double"},
      {"._N", "bool"},
      {"._K", "unsigned __int64"},
      {".PEBD", "const char *"},
      {".PEAD", "char *"},
      {".PEB_W", "const wchar_t *"},
      {".PEAVaim_lost@@", "aim_lost *"},
      {".PEBVerror@net@@", "const net::error *"},
      {".?AVsame@0@", "same::same"},  // a name seen before, by its number
      // What is not read here: the caller shows the decorated name.
      {".?AV?$box@H@@", ""},
      {".?AVunfinished@", ""},
      {".P", ""},
      {".Z", ""},
      {"", ""},
      {".?AVbad@9@@", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(standin::undecoratedTypeName(c.decorated), c.written) << c.decorated;
}

TEST(MsvcThrowRecord, NamesTheTypeAndCallsWhatWithTheStoredTextAsFallback) {
  const Memory memory = exceptionThrow({".?AUaim_lost@@", ".?AVruntime_error@std@@", ".?AVexception@std@@"});
  EXPECT_EQ(describe(memory, kRecord, "what() says"), "aim_lost: what() says");
  EXPECT_EQ(describe(memory, kRecord, nullptr), "aim_lost: the stored text");
}

TEST(MsvcThrowRecord, CallsWhatOnTheObjectAsAStdException) {
  Memory memory;
  putThrowInfo(memory, {".?AUtwo_bases@@", ".?AVexception@std@@"}, 16);
  memory.put64(kObject, {0x6000, 0, 0x6100, 0x7000});
  memory.putText(0x7000, "kept");
  std::uint64_t calledOn = 0;
  const MsvcThrow thrown = readMsvcThrow(kRecord.data(), kRecord.size(), memory.reader());
  EXPECT_EQ(describeMsvcThrow(thrown, memory.reader(), [&](std::uint64_t object, std::string&) {
              calledOn = object;
              return false;
            }),
            "two_bases: kept");
  EXPECT_EQ(calledOn, kObject + 16);
}

TEST(MsvcThrowRecord, ReachesAVirtualBaseThroughItsTable) {
  Memory memory;
  putThrowInfo(memory, {".?AVderived@@", ".?AVexception@std@@"});
  memory.putInts(kBase + 0x340, 0, 0x480, 0, 8, 4, 24, 0);  // the vbtable at +8, its entry at +4
  memory.put64(kObject, {0x6000, 0x6800});
  memory.putInts(0x6800, 0, 24);
  const MsvcThrow thrown = readMsvcThrow(kRecord.data(), kRecord.size(), memory.reader());
  ASSERT_FALSE(thrown.damaged);
  EXPECT_EQ(standin::objectAs(thrown, thrown.types[1], memory.reader()), kObject + 8 + 24);
  memory.unmap(0x6800);
  EXPECT_EQ(standin::objectAs(thrown, thrown.types[1], memory.reader()), 0u);
}

TEST(MsvcThrowRecord, GivesTheTextOfACStringAndTheTypeAloneOtherwise) {
  Memory text;
  putThrowInfo(text, {".PEBD", ".PEAX"});
  text.put64(kObject, {0x7000});
  text.putText(0x7000, "out of ammunition");
  EXPECT_EQ(describe(text, kRecord, "never asked"), "const char *: out of ammunition");
  Memory number;
  putThrowInfo(number, {".H"});
  number.putInts(kObject, 42);
  EXPECT_EQ(describe(number, kRecord, "never asked"), "int");
  Memory templated;
  putThrowInfo(templated, {".?AV?$box@H@@"});
  EXPECT_EQ(describe(templated, kRecord, nullptr), "?AV?$box@H@@");
}

TEST(MsvcThrowRecord, ARethrowHasNoObjectAndNoThrowInfo) {
  const Memory memory;
  const std::vector<std::uint64_t> record = {kMagic, 0, 0, kBase};
  const MsvcThrow thrown = readMsvcThrow(record.data(), record.size(), memory.reader());
  EXPECT_TRUE(thrown.rethrow);
  EXPECT_FALSE(thrown.damaged);
  EXPECT_EQ(describeMsvcThrow(thrown, memory.reader(), nullptr), "");
}

TEST(MsvcThrowRecord, IsAThrowOnlyWithTheRuntimesCodeAndMagic) {
  const std::uint64_t sound[] = {kMagic, kObject, kBase};
  const std::uint64_t wrongMagic[] = {0x12345678, kObject, kBase};
  EXPECT_TRUE(standin::isMsvcThrow(0xE06D7363, sound, 3));
  EXPECT_FALSE(standin::isMsvcThrow(0xE06D7363, sound, 2));
  EXPECT_FALSE(standin::isMsvcThrow(0xE06D7363, wrongMagic, 3));
  EXPECT_FALSE(standin::isMsvcThrow(0xE0000042, sound, 3));
}

// Each damage leaves a record that reads as damaged, and nothing is read
// outside what is mapped (the reader refuses it, as VirtualQuery would).
TEST(MsvcThrowRecord, ADamagedRecordIsATypeUnknown) {
  const struct {
    const char* damage;
    void (*harm)(Memory&, std::vector<std::uint64_t>&);
  } cases[] = {
      {"the magic number", [](Memory&, std::vector<std::uint64_t>& r) { r[0] = 0x19930599; }},
      {"too few parameters", [](Memory&, std::vector<std::uint64_t>& r) { r.resize(2); }},
      {"the ThrowInfo unmapped", [](Memory& m, std::vector<std::uint64_t>&) { m.unmap(kBase + 0x100); }},
      {"a null ThrowInfo with an object", [](Memory&, std::vector<std::uint64_t>& r) { r[2] = 0; }},
      {"a wrong image base", [](Memory&, std::vector<std::uint64_t>& r) { r[3] = 0x7000000; }},
      {"no catchable types", [](Memory& m, std::vector<std::uint64_t>&) { m.putInts(kBase + 0x200, 0); }},
      {"a count past reason", [](Memory& m, std::vector<std::uint64_t>&) { m.putInts(kBase + 0x200, 0x7fffffff, 0x300); }},
      {"a count past the array", [](Memory& m, std::vector<std::uint64_t>&) { m.putInts(kBase + 0x200, 3, 0x300); }},
      {"a type offset of 0", [](Memory& m, std::vector<std::uint64_t>&) { m.putInts(kBase + 0x200, 1, 0); }},
      {"a descriptor far away", [](Memory& m, std::vector<std::uint64_t>&) { m.putInts(kBase + 0x300, 0, -0x7000000, 0, -1, 0, 8, 0); }},
      {"a name without its end",
       [](Memory& m, std::vector<std::uint64_t>&) {
         const std::string bytes = std::string(16, '\0') + ".?AUaim_lost@@";
         m.put(kBase + 0x400, bytes.data(), bytes.size());
       }},
      {"an empty name", [](Memory&m, std::vector<std::uint64_t>&) { putDescriptor(m, 0x400, ""); }},
  };
  for (const auto& c : cases) {
    Memory memory = exceptionThrow({".?AUaim_lost@@", ".?AVexception@std@@"});
    std::vector<std::uint64_t> record = kRecord;
    c.harm(memory, record);
    const MsvcThrow thrown = readMsvcThrow(record.data(), record.size(), memory.reader());
    EXPECT_TRUE(thrown.damaged) << c.damage;
    EXPECT_EQ(describe(memory, record, "unused"), "") << c.damage;
  }
}

// The object's part is damaged, its type information sound: the type stands.
TEST(MsvcThrowRecord, AnUnreadableObjectLeavesTheTypeAlone) {
  Memory memory = exceptionThrow({".?AUaim_lost@@", ".?AVexception@std@@"});
  memory.unmap(0x7000);
  EXPECT_EQ(describe(memory, kRecord, nullptr), "aim_lost");
  memory.unmap(kObject);
  EXPECT_EQ(describe(memory, kRecord, nullptr), "aim_lost");
  Memory text;
  putThrowInfo(text, {".PEBD"});
  EXPECT_EQ(describe(text, kRecord, nullptr), "const char *");
}

TEST(MsvcThrowRecord, ATextReadsUpToAnUnmappedPageAndIsCut) {
  Memory memory;
  memory.putText(0x8ffa, "edge");  // ends 1 byte before the page past it, which is not mapped
  std::string text;
  EXPECT_TRUE(standin::readText(0x8ffa, 100, memory.reader(), text));
  EXPECT_EQ(text, "edge");
  const std::string longText(300, 'x');
  memory.putText(0x10000, longText);
  EXPECT_TRUE(standin::readText(0x10000, 100, memory.reader(), text));
  EXPECT_EQ(text, std::string(100, 'x'));
  memory.put(0x20000, "open", 4);
  EXPECT_FALSE(standin::readText(0x20000, 100, memory.reader(), text));
  EXPECT_FALSE(standin::readText(0, 100, memory.reader(), text));
}

}  // namespace

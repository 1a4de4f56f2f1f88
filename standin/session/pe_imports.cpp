#include "session/pe_imports.h"

#include <cstdint>

namespace standin {

namespace {

class PeView {
 public:
  explicit PeView(const std::vector<unsigned char>& file) : file_(file) {}

  bool u16(std::uint64_t at, std::uint32_t& out) const { return read(at, 2, out); }
  bool u32(std::uint64_t at, std::uint32_t& out) const { return read(at, 4, out); }
  bool u64(std::uint64_t at, std::uint64_t& out) const {
    std::uint32_t low = 0, high = 0;
    if (!u32(at, low) || !u32(at + 4, high)) return false;
    out = (std::uint64_t{high} << 32) | low;
    return true;
  }
  // A NUL-terminated name of at most 512 bytes.
  bool text(std::uint64_t at, std::string& out) const {
    out.clear();
    for (std::uint64_t i = at; i < file_.size() && i < at + 512; ++i) {
      if (file_[i] == 0) return true;
      out += static_cast<char>(file_[i]);
    }
    return false;
  }
  bool mapSections();
  // The file offset of a relative virtual address, through the section table.
  bool offsetOf(std::uint32_t rva, std::uint64_t& offset) const;

  std::uint32_t importTableRva = 0;

 private:
  bool read(std::uint64_t at, unsigned bytes, std::uint32_t& out) const {
    if (at + bytes > file_.size()) return false;
    out = 0;
    for (unsigned i = 0; i < bytes; ++i) out |= std::uint32_t{file_[at + i]} << (8 * i);
    return true;
  }
  struct Section {
    std::uint32_t rva, size, fileOffset;
  };
  const std::vector<unsigned char>& file_;
  std::vector<Section> sections_;
};

bool PeView::mapSections() {
  std::uint32_t peOffset = 0, signature = 0, machine = 0, count = 0, optionalSize = 0, magic = 0;
  if (!u32(0x3C, peOffset) || !u32(peOffset, signature) || signature != 0x4550) return false;
  if (!u16(peOffset + 4, machine) || !u16(peOffset + 6, count) || !u16(peOffset + 20, optionalSize)) return false;
  const std::uint64_t optional = peOffset + 24;
  if (!u16(optional, magic) || magic != 0x20B) return false;  // PE32+ only
  if (!u32(optional + 120, importTableRva)) return false;     // data directory 1
  const std::uint64_t table = optional + optionalSize;
  for (std::uint32_t i = 0; i < count; ++i) {
    Section s{};
    if (!u32(table + i * 40 + 12, s.rva) || !u32(table + i * 40 + 16, s.size) ||
        !u32(table + i * 40 + 20, s.fileOffset))
      return false;
    sections_.push_back(s);
  }
  return true;
}

bool PeView::offsetOf(std::uint32_t rva, std::uint64_t& offset) const {
  for (const Section& s : sections_) {
    if (rva >= s.rva && rva - s.rva < s.size) {
      offset = std::uint64_t{s.fileOffset} + (rva - s.rva);
      return offset < file_.size();
    }
  }
  return false;
}

bool readNames(const PeView& pe, std::uint32_t thunkRva, std::vector<std::string>& names) {
  std::uint64_t thunks = 0;
  if (!pe.offsetOf(thunkRva, thunks)) return false;
  for (std::uint64_t at = thunks;; at += 8) {
    std::uint64_t entry = 0, nameOffset = 0;
    if (!pe.u64(at, entry)) return false;
    if (entry == 0) return true;
    if (entry >> 63) {
      names.push_back("#" + std::to_string(entry & 0xFFFF));
      continue;
    }
    std::string name;
    if (!pe.offsetOf(static_cast<std::uint32_t>(entry), nameOffset) || !pe.text(nameOffset + 2, name))
      return false;
    names.push_back(name);
  }
}

}  // namespace

bool readPeImports(const std::vector<unsigned char>& file, std::vector<ImportedLibrary>& imports) {
  PeView pe(file);
  imports.clear();
  std::uint64_t descriptor = 0;
  if (!pe.mapSections()) return false;
  if (pe.importTableRva == 0) return true;
  if (!pe.offsetOf(pe.importTableRva, descriptor)) return false;
  for (;; descriptor += 20) {
    std::uint32_t lookupRva = 0, nameRva = 0, addressRva = 0;
    std::uint64_t nameOffset = 0;
    if (!pe.u32(descriptor, lookupRva) || !pe.u32(descriptor + 12, nameRva) || !pe.u32(descriptor + 16, addressRva))
      return false;
    if (nameRva == 0) return true;
    ImportedLibrary library;
    if (!pe.offsetOf(nameRva, nameOffset) || !pe.text(nameOffset, library.library)) return false;
    if (!readNames(pe, lookupRva != 0 ? lookupRva : addressRva, library.names)) return false;
    imports.push_back(std::move(library));
  }
}

}  // namespace standin

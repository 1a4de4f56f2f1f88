// Scenarios share lines through `include FILE`: a file of lines read as if
// they stood in place of the include line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// Includes nest at most this deep: enough for a shared file that includes
// another, and a bound on a chain that never ends.
constexpr std::size_t kDeepestInclude = 8;

struct IncludedFile {
  std::string path;        // as resolved from the including file
  std::uint64_t hash = 0;  // of its text, so a trace tells which version played
};

// A 64-bit FNV-1a hash of a file's bytes.
std::uint64_t includedTextHash(const std::string& text);

// The files being read, the scenario's own first. Throws LineError for an
// include nested too deep, a cycle, or a file that cannot be opened.
class IncludeChain {
 public:
  explicit IncludeChain(const std::string& scenarioPath);
  // Opens FILE as written on an include line of the innermost file; the
  // caller reads `text` and then calls leave().
  IncludedFile enter(const std::string& written, std::string& text);
  void leave() { open_.pop_back(); }
  // The file whose lines are being read.
  const std::string& current() const { return open_.back().path; }

 private:
  struct Open {
    std::string path;
    std::string key;  // the path with '.', '..' and doubled separators taken out
  };
  std::vector<Open> open_;
};

}  // namespace standin

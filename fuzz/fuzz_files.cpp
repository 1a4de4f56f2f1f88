#include "fuzz_files.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

const std::string& fuzzFolder() {
  static const std::string folder = [] {
    const std::string made =
        (std::filesystem::temp_directory_path() / ("standin-fuzz-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(made);
    return made;
  }();
  return folder;
}

std::string writeFuzzFile(const std::string& name, const std::string& bytes) {
  const std::string path = fuzzFolder() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

std::vector<std::string> splitInput(const std::uint8_t* data, std::size_t size, std::size_t parts) {
  std::vector<std::string> pieces(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && pieces.size() < parts) pieces.emplace_back();
    else pieces.back() += static_cast<char>(data[i]);
  }
  pieces.resize(parts);
  return pieces;
}

bool oneReadableLine(const std::string& message) {
  for (const char c : message)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return !message.empty();
}

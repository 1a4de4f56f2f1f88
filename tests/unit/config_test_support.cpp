#include "config_test_support.h"

#include <stdlib.h>

#include <stdexcept>

std::filesystem::path ScopedWorkingFolder::mkdtempPath(std::string& pattern) {
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
  return pattern;
}

std::vector<std::string> messagesOfLogText(const std::string& text) {
  std::vector<std::string> messages;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const std::size_t stampEnd = line.find("] ");
    messages.push_back(stampEnd == std::string::npos ? line : line.substr(stampEnd + 2));
    start = end + 1;
  }
  return messages;
}

#include "scenario/scenario_include.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "scenario/scenario.h"
#include "scenario/scenario_tokens.h"

namespace standin {

namespace {

std::string pathKey(const std::string& path) {
  std::string forward = path;
  std::replace(forward.begin(), forward.end(), '\\', '/');
  return std::filesystem::path(forward).lexically_normal().generic_string();
}

}  // namespace

std::uint64_t includedTextHash(const std::string& text) {
  std::uint64_t hash = 0xCBF29CE484222325;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3;
  }
  return hash;
}

IncludeChain::IncludeChain(const std::string& scenarioPath) { open_.push_back({scenarioPath, pathKey(scenarioPath)}); }

IncludedFile IncludeChain::enter(const std::string& written, std::string& text) {
  if (written.empty()) throw LineError("missing file after 'include'");
  const std::string path = resolveWorkingFolder(current(), written);
  const std::string key = pathKey(path);
  for (const Open& file : open_)
    if (file.key == key)
      throw LineError("include " + shownWord(written) + " would read " + shownWord(path) +
                      " again while it is being read: includes must not form a cycle");
  if (open_.size() > kDeepestInclude)
    throw LineError("include " + shownWord(written) + " nests deeper than " + std::to_string(kDeepestInclude) +
                    " included files");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw LineError("cannot open the included file " + shownWord(path));
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  open_.push_back({path, key});
  return {path, includedTextHash(text)};
}

}  // namespace standin

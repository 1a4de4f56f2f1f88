#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>

namespace standin {

// Readable names for the hashes in a session: the natives, weapons and
// controls that the stand-in knows, and every hash(TEXT) of the scenario.
class HashNames {
 public:
  // Learns TEXT for each hash(TEXT) in a scenario file's text.
  void learnScenario(std::istream& scenario);
  void add(std::uint32_t hash, std::string name) { learned_[hash] = std::move(name); }

  // The name, or the hex value when no name is known.
  std::string shortName(std::uint32_t hash) const;
  // "NAME (0x1234ABCD)", or just the hex value when no name is known.
  std::string gameHash(std::uint32_t hash) const;
  // "NAME 0x0123456789ABCDEF", or just the hex value.
  std::string native(std::uint64_t hash) const;

 private:
  std::map<std::uint32_t, std::string> learned_;
};

}  // namespace standin

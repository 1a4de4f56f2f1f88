// The chaos command's options, read apart from running it.
#pragma once

#include <cstdint>
#include <string>

namespace standin::chaos {

struct ChaosOptions {
  std::string base;
  std::string plugin;
  std::uint64_t seconds = 60;  // when runs is 0
  std::uint64_t runs = 0;
  std::uint64_t seed = 0;
  bool seedGiven = false;
  std::string out = "chaos-findings";
  unsigned jobs = 0;  // 0: one per processor
  bool reuse = true;  // --fresh: every session in a process of its own
  bool blind = false;  // --blind: every session drawn anew, none learnt from another
  std::string corpus;  // --corpus DIR: the seeds kept from run to run; empty: none
};

// From the words after --chaos; false with `error` set when they do not read.
bool readChaosOptions(int count, char** words, ChaosOptions& options, std::string& error);

}  // namespace standin::chaos

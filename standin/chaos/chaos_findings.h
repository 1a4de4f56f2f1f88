// What a chaos run found: one finding per verdict and place, the one of the
// earliest session, so that the same seed and runs give the same findings
// however the sessions were spread over the workers.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "chaos/chaos_scenario.h"
#include "chaos/chaos_verdict.h"

namespace standin::chaos {

struct Finding {
  std::uint64_t session = 0;
  Verdict verdict;
  ChaosScenario scenario;
};

class Findings {
 public:
  // Keeps it unless an earlier session found the same.
  void add(Finding finding);
  std::size_t size() const { return byPlace_.size(); }
  // By session, earliest first.
  std::vector<Finding> inOrder() const;

 private:
  std::map<std::pair<int, std::string>, Finding> byPlace_;
};

// The finding's file: its comment (seed, session, verdict, message) and the
// shrunk scenario with the head that names paths from the findings' folder.
std::string findingText(const Finding& finding, std::uint64_t seed, const std::vector<std::string>& outHead,
                        std::size_t linesBefore, std::size_t replays);
// "NNN-WORD.scn".
std::string findingFileName(std::size_t number, const Verdict& verdict);

}  // namespace standin::chaos

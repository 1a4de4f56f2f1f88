#include "chaos/chaos_findings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace standin::chaos {

void Findings::add(Finding finding) {
  const auto key = std::make_pair(finding.verdict.code, finding.verdict.place);
  const auto found = byPlace_.find(key);
  if (found == byPlace_.end()) byPlace_.emplace(key, std::move(finding));
  else if (finding.session < found->second.session) found->second = std::move(finding);
}

std::vector<Finding> Findings::inOrder() const {
  std::vector<Finding> findings;
  for (const auto& entry : byPlace_) findings.push_back(entry.second);
  std::sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) { return a.session < b.session; });
  return findings;
}

std::string findingText(const Finding& finding, std::uint64_t seed, const std::vector<std::string>& outHead,
                        std::size_t linesBefore, std::size_t replays) {
  const Verdict& verdict = finding.verdict;
  ChaosScenario scenario = finding.scenario;
  scenario.head = outHead;
  return scenario.text({
      "Found by chaos with --seed " + std::to_string(seed) + ", session " + std::to_string(finding.session) + ".",
      "Verdict: exit " + std::to_string(verdict.code) + (verdict.place.empty() ? "" : ", " + verdict.place) + ".",
      "standin: " + verdict.message,
      "Shrunk from " + std::to_string(linesBefore) + " lines to " + std::to_string(scenario.lineCount()) + " in " +
          std::to_string(replays) + " replays.",
  });
}

std::string findingFileName(std::size_t number, const Verdict& verdict) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%03u-", static_cast<unsigned>(number));
  std::string word = verdict.word();
  for (char& c : word)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-')) c = '-';
  return prefix + word + ".scn";
}

}  // namespace standin::chaos

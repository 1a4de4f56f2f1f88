#include "chaos_pool/chaos_guide_win.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <vector>

#include "chaos/chaos_mutation.h"
#include "chaos/chaos_seed_text.h"
#include "trace/trace.h"

namespace standin::chaos {

namespace {

constexpr DWORD kWaitMs = 100;

// The seed files of a corpus folder, by name: 16 hex digits and .scn, as
// seedFileName writes them; the author's other files there are left alone.
std::vector<std::string> seedFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*.scn").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name.size() == 20 && std::all_of(name.begin(), name.begin() + 16, [](char c) {
          return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        }))
      names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void readFeatures(const std::string& tracePath, Outcome& outcome) {
  std::ifstream in(tracePath, std::ios::binary);
  try {
    const std::vector<HostEvent> events = readTrace(in);
    outcome.features = sessionFeatures(events);
    outcome.called = calledNatives(events);
  } catch (const TraceError&) {
    // A trace cut short shows nothing to learn from.
  }
}

}  // namespace

ChaosGuide::ChaosGuide(const ChaosOptions& options, const ChaosPlan& plan, const ChaosPool& pool)
    : options_(options), plan_(plan), pool_(pool), merger_(ChaosCorpus(), options.runs) {}

std::string ChaosGuide::replayCorpus() {
  if (options_.blind || options_.corpus.empty()) return "";
  const std::vector<std::string> names = seedFilesIn(options_.corpus);
  std::vector<Outcome> outcomes(names.size());
  std::vector<bool> readable(names.size(), false);
  volatile LONG64 next = 0;
  pool_.runAll(
      [&](unsigned worker) {
        for (;;) {
          const auto at = static_cast<std::size_t>(InterlockedIncrement64(&next) - 1);
          if (at >= names.size()) return;
          Outcome& outcome = outcomes[at];
          outcome.text = fileText(options_.corpus + "\\" + names[at]);
          if (!readSeedText(outcome.text, plan_.base, outcome.scenario)) continue;
          readable[at] = true;
          outcome.ended = pool_.play(worker, outcome.scenario.text(), options_.reuse).found();
          readFeatures(pool_.filesOf(worker).trace, outcome);
        }
      },
      [] {}, INFINITE);
  ChaosCorpus corpus;
  std::size_t kept = 0;
  for (std::size_t at = 0; at < names.size(); ++at) kept += readable[at] && corpus.offer(std::move(outcomes[at]));
  merger_ = EpochMerger(std::move(corpus), options_.runs);
  return "corpus " + options_.corpus + ": " + std::to_string(kept) + " of its " + std::to_string(names.size()) +
         " seeds still show something new";
}

bool ChaosGuide::session(std::uint64_t index, ULONGLONG deadline, ChaosScenario& session) {
  if (options_.blind) {
    session = generateSession(plan_, options_.seed, index);
    return true;
  }
  std::shared_ptr<const SeedList> seeds;
  AcquireSRWLockExclusive(&lock_);
  while (!(seeds = merger_.seedsFor(index)) && GetTickCount64() < deadline)
    SleepConditionVariableSRW(&merged_, &lock_, kWaitMs, 0);
  ReleaseSRWLockExclusive(&lock_);
  if (!seeds) return false;
  session = guidedSession(plan_, *seeds, options_.seed, index);
  return true;
}

void ChaosGuide::played(unsigned worker, std::uint64_t index, const Verdict& verdict, ChaosScenario session) {
  if (options_.blind) return;
  Outcome outcome;
  outcome.ended = verdict.found();
  // A session that ended on a finding is no seed: its trace need not be read.
  if (!outcome.ended) readFeatures(pool_.filesOf(worker).trace, outcome);
  outcome.scenario = std::move(session);
  AcquireSRWLockExclusive(&lock_);
  const std::uint64_t before = merger_.mergedEpochs();
  merger_.add(index, std::move(outcome));
  const bool merged = merger_.mergedEpochs() != before;
  ReleaseSRWLockExclusive(&lock_);
  if (merged) WakeAllConditionVariable(&merged_);
}

bool ChaosGuide::saveCorpus(std::string& error) const {
  if (options_.blind || options_.corpus.empty()) return true;
  if (!CreateDirectoryA(options_.corpus.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    error = "cannot make the corpus folder " + options_.corpus;
    return false;
  }
  std::set<std::string> kept;
  for (const auto& seed : merger_.corpus().seeds()) {
    const std::string name = seedFileName(seed->text);
    kept.insert(name);
    const std::string path = options_.corpus + "\\" + name;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && !writeFileText(path, seed->text)) {
      error = "cannot write " + path;
      return false;
    }
  }
  for (const std::string& name : seedFilesIn(options_.corpus))
    if (kept.count(name) == 0) DeleteFileA((options_.corpus + "\\" + name).c_str());
  return true;
}

std::string ChaosGuide::summary() const {
  if (options_.blind) return "";
  const ChaosCorpus& corpus = merger_.corpus();
  const std::size_t seeds = corpus.seeds().size();
  std::string line = std::to_string(seeds) + (seeds == 1 ? " seed" : " seeds");
  if (!corpus.lastWhy().empty()) line += ", the last new for: " + corpus.lastWhy();
  return line;
}

}  // namespace standin::chaos

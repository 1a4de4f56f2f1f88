#include "chaos_pool/chaos_run_win.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "chaos/chaos_base.h"
#include "chaos/chaos_findings.h"
#include "chaos/chaos_options.h"
#include "chaos_pool/chaos_pool_win.h"
#include "chaos/chaos_shrink.h"
#include "session/pdb_symbols_win.h"
#include "scenario/scenario.h"
#include "scenario/scenario_tokens.h"
#include "trace/trace.h"
#include "checks/left_behind.h"
#include "chaos_pool/chaos_guide_win.h"

namespace standin::chaos {

namespace {

constexpr ULONGLONG kShrinkMs = 3 * 60 * 1000;
constexpr DWORD kProgressMs = 2000;

void say(const std::string& line, DWORD stream = STD_OUTPUT_HANDLE) {
  const std::string text = "chaos: " + line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(stream), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string fullPath(const std::string& path) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length == 0 || length >= sizeof full ? path : std::string(full, length);
}

bool makeFolders(const std::string& path) {
  for (std::size_t slash = path.find_first_of("/\\", 3); ; slash = path.find_first_of("/\\", slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (!CreateDirectoryA(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (slash == std::string::npos) return true;
  }
}

// Findings of an earlier run in the same folder would be taken for this one's.
void removeOldFindings(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*-*.scn").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    const bool numbered = name.size() > 4 && name[3] == '-' &&
                          std::all_of(name.begin(), name.begin() + 3, [](char c) { return c >= '0' && c <= '9'; });
    if (numbered) DeleteFileA((folder + "\\" + name).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// The hashes a names file gives names to.
std::vector<std::uint64_t> nativesNamedIn(const std::string& path) {
  std::vector<std::uint64_t> natives;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string first;
    if (words >> first && first.rfind("0x", 0) == 0) natives.push_back(std::stoull(first, nullptr, 16));
  }
  return natives;
}

// Every native the base session called, with the slots it showed as the
// plug-in's variables, and every native its names files declare.
std::vector<NativePlan> nativesToAnswer(const std::string& tracePath, const Scenario& scenario,
                                        const std::set<std::uint64_t>& answered) {
  std::map<std::uint64_t, std::vector<unsigned>> seen;
  std::ifstream in(tracePath, std::ios::binary);
  for (const HostEvent& event : readTrace(in)) {
    if (event.kind != EventKind::Call) continue;
    std::vector<unsigned>& slots = seen[event.hash];
    slots.insert(slots.end(), event.outArgs.begin(), event.outArgs.end());
  }
  for (const std::string& names : scenario.namesFiles)
    for (std::uint64_t hash : nativesNamedIn(names)) seen[hash];
  std::vector<NativePlan> plans;
  for (const auto& [hash, outSlots] : seen)
    if (hash != kTextHashNative && answered.count(hash) == 0) plans.push_back(planFor(hash, nativeSignature(hash), outSlots));
  return plans;
}

class ChaosRun {
 public:
  ChaosRun(const ChaosOptions& options, const ChaosPool& pool, ChaosGuide& guide)
      : options_(options), pool_(pool), guide_(guide) {}

  void search();
  // The run's findings, stuck ones played once more alone.
  std::vector<Finding> confirmedFindings() const;
  // Shrinks it within its time; the replays it took.
  std::size_t shrink(Finding& finding) const;

 private:
  void progress() const;

  const ChaosOptions& options_;
  const ChaosPool& pool_;
  ChaosGuide& guide_;
  Findings findings_;
  SRWLOCK lock_ = SRWLOCK_INIT;
  volatile LONG64 next_ = 0;
  volatile LONG64 done_ = 0;
  ULONGLONG start_ = 0;
};

void ChaosRun::progress() const {
  const double seconds = static_cast<double>(GetTickCount64() - start_) / 1000.0;
  const double rate = seconds > 0 ? static_cast<double>(done_) / seconds : 0;
  char line[200];
  const double left = options_.runs != 0 ? (rate > 0 ? static_cast<double>(options_.runs - std::min<std::uint64_t>(options_.runs, done_)) / rate : 0)
                                         : std::max(0.0, static_cast<double>(options_.seconds) - seconds);
  std::snprintf(line, sizeof line, "%lld sessions, %.1f a second, %u finding%s, %.0f s left",
                static_cast<long long>(done_), rate, static_cast<unsigned>(findings_.size()),
                findings_.size() == 1 ? "" : "s", left);
  say(line);
}

void ChaosRun::search() {
  start_ = GetTickCount64();
  const ULONGLONG deadline = options_.runs != 0 ? ~ULONGLONG{0} : start_ + options_.seconds * 1000;
  pool_.runAll(
      [&](unsigned worker) {
        for (;;) {
          const auto index = static_cast<std::uint64_t>(InterlockedIncrement64(&next_) - 1);
          if (options_.runs != 0 ? index >= options_.runs : GetTickCount64() >= deadline) return;
          ChaosScenario session;
          if (!guide_.session(index, deadline, session)) return;
          const Verdict verdict = pool_.play(worker, session.text(), options_.reuse);
          guide_.played(worker, index, verdict, session);
          InterlockedIncrement64(&done_);
          if (!verdict.found()) continue;
          AcquireSRWLockExclusive(&lock_);
          findings_.add({index, verdict, std::move(session)});
          ReleaseSRWLockExclusive(&lock_);
        }
      },
      [&] { progress(); }, kProgressMs);
  progress();
  if (options_.reuse)
    say(std::to_string(pool_.served()) + " of them clean in a process that played others before or after");
  const std::string left = leftBehindLine(pool_.leftBehind());
  if (options_.reuse && !left.empty()) say(left);
}

std::vector<Finding> ChaosRun::confirmedFindings() const {
  std::vector<Finding> confirmed;
  for (Finding& finding : findings_.inOrder()) {
    if (finding.verdict.code == 5 && !pool_.play(0, finding.scenario.text()).sameAs(finding.verdict)) {
      say("session " + std::to_string(finding.session) + " was stuck, but not when played again alone: left out");
      continue;
    }
    confirmed.push_back(std::move(finding));
  }
  return confirmed;
}

std::size_t ChaosRun::shrink(Finding& finding) const {
  const Verdict wanted = finding.verdict;
  // A stall is timing: its replays go one at a time.
  const unsigned side = wanted.code == 5 ? 1 : pool_.workers();
  std::size_t replays = 0;
  const FirstKeeping firstKeeping = [&](const std::vector<ChaosScenario>& candidates) {
    for (std::size_t from = 0; from < candidates.size(); from += side) {
      const std::size_t count = std::min<std::size_t>(side, candidates.size() - from);
      std::vector<bool> keeps(count, false);
      pool_.runAll([&](unsigned worker) {
        if (worker < count) keeps[worker] = pool_.play(worker, candidates[from + worker].text()).sameAs(wanted);
      }, [] {}, INFINITE);
      replays += count;
      for (std::size_t i = 0; i < count; ++i)
        if (keeps[i]) return from + i;
    }
    return candidates.size();
  };
  const ULONGLONG deadline = GetTickCount64() + kShrinkMs;
  finding.scenario = shrinkScenario(finding.scenario, wanted.frame, firstKeeping, [&] { return GetTickCount64() >= deadline; });
  return replays;
}

}  // namespace

int runChaos(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) != "--chaos") return -1;
  ChaosOptions options;
  std::string error;
  if (!readChaosOptions(argc - 2, argv + 2, options, error)) {
    say(error + " (usage: standin.exe --chaos BASE.scn PLUGIN.asi [--seconds S | --runs N] [--seed N] [--out DIR] [-j N] [--fresh] [--blind | --corpus DIR])",
        STD_ERROR_HANDLE);
    return 2;
  }
  if (!options.seedGiven) options.seed = GetTickCount64() ^ (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32);
  if (options.jobs == 0) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    options.jobs = std::max<unsigned>(1, system.dwNumberOfProcessors);
  }
  const std::string base = fullPath(options.base), out = fullPath(options.out), plugin = fullPath(options.plugin);
  const std::string work = out + "\\work";
  if (!options.corpus.empty()) options.corpus = fullPath(options.corpus);
  char exe[MAX_PATH * 4] = "";
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  ChaosBase chaosBase;
  Scenario scenario;
  try {
    scenario = loadScenarioFile(base);
    chaosBase = readChaosBase(base, out);
  } catch (const ScenarioError& bad) {
    say(bad.what(), STD_ERROR_HANDLE);
    return 2;
  }
  if (GetFileAttributesA(plugin.c_str()) == INVALID_FILE_ATTRIBUTES) {
    say("no plug-in " + plugin, STD_ERROR_HANDLE);
    return 2;
  }
  if (!makeFolders(work)) {
    say("cannot make the folder " + work, STD_ERROR_HANDLE);
    return 2;
  }
  removeOldFindings(out);
  SessionFolders folders;
  std::string shared;
  if (!folders.prepare(chaosBase.workingFolder, work, shared)) say(shared);
  const ChaosPool pool(exe, plugin, work, options.jobs, std::move(folders));
  // What the author reads names the plug-in's lines from its .pdb; the findings' files keep the offsets.
  win::setSessionSymbols(plugin, win::sessionSymbolsFolder());
  // The base alone, strict, first: what it calls is what sessions answer.
  const Verdict baseVerdict = pool.play(0, chaosBase.plan.base.text());
  if (baseVerdict.code != 0) {
    say("the base scenario ends with exit " + std::to_string(baseVerdict.code) + " by itself, before any chaos: " +
            win::withPluginSourcePlaces(baseVerdict.message), STD_ERROR_HANDLE);
    return 2;
  }
  ChaosPlan& plan = chaosBase.plan;
  try {
    plan.natives = nativesToAnswer(work + "\\worker0-trace.txt", scenario, chaosBase.answered);
  } catch (const TraceError& bad) {
    say(std::string("the base session's trace does not read: ") + bad.what(), STD_ERROR_HANDLE);
    return 2;
  }
  say("seed " + std::to_string(options.seed) + ", " + std::to_string(plan.natives.size()) + " natives answered at random, " +
      std::to_string(options.jobs) + " at a time; " +
      (options.runs != 0 ? std::to_string(options.runs) + " sessions" : std::to_string(options.seconds) + " s"));
  ChaosGuide guide(options, plan, pool);
  const std::string replayed = guide.replayCorpus();
  if (!replayed.empty()) say(replayed);
  ChaosRun run(options, pool, guide);
  run.search();
  if (!guide.summary().empty()) say(guide.summary());
  if (!guide.saveCorpus(error)) {
    say(error, STD_ERROR_HANDLE);
    return 2;
  }
  std::size_t number = 0;
  for (Finding& finding : run.confirmedFindings()) {
    const std::size_t linesBefore = finding.scenario.lineCount();
    say("shrinking what session " + std::to_string(finding.session) + " found: exit " +
        std::to_string(finding.verdict.code) + " " + finding.verdict.place);
    const std::size_t replays = run.shrink(finding);
    const std::string path = out + "\\" + findingFileName(++number, finding.verdict);
    if (!writeFileText(path, findingText(finding, options.seed, chaosBase.outHead, linesBefore, replays))) {
      say("cannot write " + path, STD_ERROR_HANDLE);
      return 2;
    }
    say("finding " + std::to_string(number) + ": " + win::withPluginSourcePlaces(finding.verdict.message));
    say("  in " + path + " (" + std::to_string(finding.scenario.lineCount()) + " lines)");
  }
  say(number == 0 ? "nothing found" : std::to_string(number) + (number == 1 ? " finding" : " findings") + " in " + out);
  return number == 0 ? 0 : 1;
}

}  // namespace standin::chaos

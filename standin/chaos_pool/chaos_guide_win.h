// What steers a chaos run's sessions: in a blind run, nothing (each session
// drawn from the seed and its index); in a guided one, the seeds that earlier
// sessions' traces showed new behaviour in, merged by epochs, and the corpus
// folder that keeps them from one run to the next.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "chaos/chaos_corpus.h"
#include "chaos/chaos_generator.h"
#include "chaos/chaos_options.h"
#include "chaos_pool/chaos_pool_win.h"

namespace standin::chaos {

class ChaosGuide {
 public:
  ChaosGuide(const ChaosOptions& options, const ChaosPlan& plan, const ChaosPool& pool);
  ChaosGuide(const ChaosGuide&) = delete;
  ChaosGuide& operator=(const ChaosGuide&) = delete;

  // Plays the corpus folder's seeds, in name order, and keeps those that
  // still show something new; what to tell the author, empty for no folder.
  std::string replayCorpus();
  // Session `index`, once the seeds it mutates are merged; false when
  // `deadline` (GetTickCount64) passed while it waited.
  bool session(std::uint64_t index, ULONGLONG deadline, ChaosScenario& session);
  // What the worker's trace of session `index` showed, for the merge.
  void played(unsigned worker, std::uint64_t index, const Verdict& verdict, ChaosScenario session);
  // The seeds written to the corpus folder, and those no longer in the
  // corpus removed from it; false with `error` set when one cannot be.
  bool saveCorpus(std::string& error) const;
  // "N seeds, the last new for: WHAT"; empty in a blind run.
  std::string summary() const;

 private:
  const ChaosOptions& options_;
  const ChaosPlan& plan_;
  const ChaosPool& pool_;
  EpochMerger merger_;
  mutable SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE merged_ = CONDITION_VARIABLE_INIT;
};

}  // namespace standin::chaos

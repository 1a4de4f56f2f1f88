// The seeds of a guided chaos run: sessions that showed the plug-in doing
// something no session before them did. Sessions are merged in epochs of
// kEpochSessions, in session order, and a session of epoch e mutates the
// corpus as merged after epoch e - 2: what any session plays, and so what
// the run finds, is a function of the seed and its index alone, whichever
// worker played what when.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "chaos/chaos_feedback.h"
#include "chaos/chaos_scenario.h"

namespace standin::chaos {

constexpr std::uint64_t kEpochSessions = 64;
constexpr std::size_t kMostSeeds = 2000;

struct Seed {
  ChaosScenario scenario;
  std::string text;  // as the corpus folder keeps it
  std::string why;   // the first of its features that no seed before it showed
  std::vector<std::uint64_t> called;  // the natives it called
};
using SeedList = std::vector<std::shared_ptr<const Seed>>;

// What a played session showed.
struct Outcome {
  bool ended = false;  // found something or got stuck: never a seed
  Features features;
  std::vector<std::uint64_t> called;
  ChaosScenario scenario;
  std::string text;    // empty: written by seedText when it becomes one
};

class ChaosCorpus {
 public:
  // Keeps the session as a seed when it showed something new; whether it did.
  // Beyond kMostSeeds the largest seed goes (of two as large, the later).
  bool offer(Outcome outcome);
  const SeedList& seeds() const { return seeds_; }
  const std::string& lastWhy() const { return lastWhy_; }

 private:
  Features seen_;
  SeedList seeds_;
  std::string lastWhy_;
};

// The file a seed is kept in: a hash of its text, so that the same seed is
// one file whichever run found it.
std::string seedFileName(const std::string& text);

class EpochMerger {
 public:
  // `sessions`: how many the run plays, 0 when it stops at a time instead.
  EpochMerger(ChaosCorpus corpus, std::uint64_t sessions) : corpus_(std::move(corpus)), sessions_(sessions) {
    snapshots_[0] = std::make_shared<const SeedList>(corpus_.seeds());
  }

  // The seeds session `index` mutates; null until the epoch they come from is merged.
  std::shared_ptr<const SeedList> seedsFor(std::uint64_t index) const;
  // Keeps a played session's outcome, and merges each epoch that is complete then.
  void add(std::uint64_t index, Outcome outcome);
  const ChaosCorpus& corpus() const { return corpus_; }
  std::uint64_t mergedEpochs() const { return merged_; }

 private:
  std::uint64_t epochSize(std::uint64_t epoch) const;

  ChaosCorpus corpus_;
  std::uint64_t sessions_;
  std::uint64_t merged_ = 0;
  std::map<std::uint64_t, Outcome> waiting_;  // by session, of epochs not merged yet
  std::map<std::uint64_t, std::shared_ptr<const SeedList>> snapshots_;  // by epochs merged
};

}  // namespace standin::chaos

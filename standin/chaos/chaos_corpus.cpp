#include "chaos/chaos_corpus.h"

#include <algorithm>

#include "chaos/chaos_seed_text.h"

namespace standin::chaos {

bool ChaosCorpus::offer(Outcome outcome) {
  if (outcome.ended) return false;
  std::string why;
  for (const std::string& feature : outcome.features)
    if (seen_.insert(feature).second && why.empty()) why = feature;
  if (why.empty()) return false;
  auto seed = std::make_shared<Seed>();
  seed->text = outcome.text.empty() ? seedText(outcome.scenario, {"a chaos seed, new for: " + why}) : outcome.text;
  seed->scenario = std::move(outcome.scenario);
  seed->why = why;
  seed->called = std::move(outcome.called);
  lastWhy_ = why;
  seeds_.push_back(std::move(seed));
  if (seeds_.size() > kMostSeeds) {
    auto largest = seeds_.begin();
    for (auto at = seeds_.begin(); at != seeds_.end(); ++at)
      if ((*at)->text.size() >= (*largest)->text.size()) largest = at;
    seeds_.erase(largest);
  }
  return true;
}

std::string seedFileName(const std::string& text) {
  std::uint64_t hash = 0xCBF29CE484222325u;  // FNV-1a
  for (unsigned char c : text) hash = (hash ^ c) * 0x100000001B3u;
  static const char digits[] = "0123456789abcdef";
  std::string name(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) name[static_cast<std::size_t>(i)] = digits[hash & 15];
  return name + ".scn";
}

std::uint64_t EpochMerger::epochSize(std::uint64_t epoch) const {
  if (sessions_ == 0) return kEpochSessions;
  const std::uint64_t first = epoch * kEpochSessions;
  return first >= sessions_ ? 0 : std::min(kEpochSessions, sessions_ - first);
}

std::shared_ptr<const SeedList> EpochMerger::seedsFor(std::uint64_t index) const {
  const std::uint64_t epoch = index / kEpochSessions;
  const std::uint64_t wanted = epoch >= 2 ? epoch - 1 : 0;  // epochs 0 to e - 2 merged
  const auto snapshot = snapshots_.find(wanted);
  return snapshot == snapshots_.end() ? nullptr : snapshot->second;
}

void EpochMerger::add(std::uint64_t index, Outcome outcome) {
  waiting_.emplace(index, std::move(outcome));
  for (;;) {
    const std::uint64_t size = epochSize(merged_), first = merged_ * kEpochSessions;
    if (size == 0) return;
    const auto from = waiting_.lower_bound(first), to = waiting_.lower_bound(first + size);
    if (static_cast<std::uint64_t>(std::distance(from, to)) < size) return;
    for (auto at = from; at != to; ++at) corpus_.offer(std::move(at->second));
    waiting_.erase(from, to);
    ++merged_;
    snapshots_[merged_] = std::make_shared<const SeedList>(corpus_.seeds());
    // Sessions not yet begun belong to epoch merged_ or later: they want no older snapshot.
    snapshots_.erase(snapshots_.begin(), snapshots_.lower_bound(merged_ - 1));
  }
}

}  // namespace standin::chaos

#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>

#include "allocation_counter.h"

// Every benchmark reports the same counter, allocations per iteration: the
// CSV report names its columns after the first benchmark to finish, and the
// repetitions run in a random order.
class AllocationTally {
 public:
  void add(std::size_t allocations) { allocations_ += allocations; }
  void countFrom(std::size_t before) { add(allocationCount() - before); }
  void report(benchmark::State& state) const {
    state.counters["allocations"] =
        benchmark::Counter(static_cast<double>(allocations_), benchmark::Counter::kAvgIterations);
  }

 private:
  std::size_t allocations_ = 0;
};

// Times `work` once per iteration and reports its allocations.
template <typename Work>
void timeCountingAllocations(benchmark::State& state, Work work) {
  AllocationTally tally;
  const std::size_t before = allocationCount();
  for (auto _ : state) work();
  tally.countFrom(before);
  tally.report(state);
}

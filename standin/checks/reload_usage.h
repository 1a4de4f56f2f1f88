#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// What the process had left after one unload of the plug-in: a plug-in that
// gives back at unload what it took keeps both flat over many reloads.
struct UsageSample {
  std::uint64_t freeTlsIndexes = 0;
  std::uint64_t committedPrivateBytes = 0;
  std::uint64_t handles = 0;
  std::uint64_t modules = 0;
};

// The first unloads warm the process up (the loader's and the heap's own
// bookkeeping), so a verdict needs this many and leaves the first tenth out.
constexpr std::size_t kFewestUnloadsJudged = 12;

// Growth of committed memory below this per reload is the heap's noise.
constexpr std::uint64_t kBytesPerReloadTolerated = 1024;

// One sentence saying what the plug-in lost per reload and what fixes it;
// empty when it lost nothing or too few unloads were measured. What the
// system takes once, at a first use of an API, is no loss: the verdict
// counts from past the warm-up. Handles and modules count as lost when
// they grew by one every other reload or more.
std::string reloadLossVerdict(const std::vector<UsageSample>& afterEachUnload);

}  // namespace standin

// Shrinking a finding: fewer frames, then fewer lines (delta debugging), then
// simpler values (toward 0, 1, -1, short ranges), each candidate kept only
// when it replays to the same verdict, until nothing more can go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "chaos/chaos_scenario.h"

namespace standin::chaos {

// Of candidates tried in order, the index of the first that keeps the
// verdict, or candidates.size() when none does. A runner may replay them
// side by side, as long as it answers the first in order.
using FirstKeeping = std::function<std::size_t(const std::vector<ChaosScenario>&)>;

// `stopFrame`: where the finding stopped (0: unknown), the first number of
// frames to try. Stops early, with what it has, once `timeUp` says so.
ChaosScenario shrinkScenario(ChaosScenario scenario, std::uint64_t stopFrame, const FirstKeeping& firstKeeping,
                             const std::function<bool()>& timeUp);

}  // namespace standin::chaos

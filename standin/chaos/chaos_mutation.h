// Sessions of a guided chaos run: once the corpus holds a seed, four in five
// start from one and change it a little (an answer, a key, a reload, or a
// splice of two seeds at a frame); the fifth is drawn as a blind run draws
// it. With no seeds the session is the blind run's, byte for byte.
#pragma once

#include <cstdint>

#include "chaos/chaos_corpus.h"
#include "chaos/chaos_generator.h"

namespace standin::chaos {

ChaosScenario guidedSession(const ChaosPlan& plan, const SeedList& seeds, std::uint64_t seed, std::uint64_t index);

// One mutation of `session`, with `seeds` to take answers and splices from;
// its answers change mostly for the natives in `called`, which the seed it
// started from called.
void mutateSession(const ChaosPlan& plan, const SeedList& seeds, const std::vector<std::uint64_t>& called,
                   ChaosRandom& random, ChaosScenario& session);

}  // namespace standin::chaos

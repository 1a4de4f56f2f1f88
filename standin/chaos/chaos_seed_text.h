// A seed as the corpus folder keeps it: the lines chaos added to the base
// (frames, answers, keys, reloads), a scenario that plays on the base; and
// those lines read back into the session model, so that a later run can
// mutate a seed as it mutates one of its own.
#pragma once

#include <string>

#include "chaos/chaos_scenario.h"

namespace standin::chaos {

// `session`'s own lines, with `comment` at the top: the head and the base's
// lines are left out, so that the text is the same wherever the base lies.
std::string seedText(const ChaosScenario& session, const std::vector<std::string>& comment = {});

// Reads a seed's text onto a copy of `base`; false when a line is none that
// chaos writes or does not read (a native no names file names any more).
bool readSeedText(const std::string& text, const ChaosScenario& base, ChaosScenario& session);

}  // namespace standin::chaos

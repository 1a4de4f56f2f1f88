// What a session showed the plug-in doing, as features read from its trace's
// events (never from addresses, which move from process to process): the
// natives it called, which it called one after the other in a frame, how
// often in a frame, the classes of the arguments it passed for their
// declared kinds, the debug lines it wrote (digits folded) and the misuse
// lines a session let pass. A session with a feature no session before it
// showed reached new behaviour.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "base/native_names.h"
#include "trace/trace_event.h"

namespace standin::chaos {

// Each feature is a short readable text, so that chaos can tell what made a
// seed new: "calls NAME", "debug \"ready in # s\"", ...
using Features = std::set<std::string>;

Features sessionFeatures(const std::vector<HostEvent>& events);
// The natives the session called, in order of their hashes: what a mutation
// of it changes the answers of first.
std::vector<std::uint64_t> calledNatives(const std::vector<HostEvent>& events);

// How many calls of a native a frame made, as a class: 1, 2, 3-4, 5-8, ...
// (0 for none); a count that doubles is new, one more is not.
unsigned countClass(std::uint64_t calls);

// An argument slot's class for its declared kind, or empty for a kind that
// has none (texts, hashes, out-variables, undeclared slots).
std::string argumentClass(ValueKind kind, std::uint64_t slot);

// The text with every run of decimal digits written as one '#': a frame
// number or a counter in a debug line is no new behaviour.
std::string foldDigits(const std::string& text);

}  // namespace standin::chaos

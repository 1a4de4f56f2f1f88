// The verdict on a session, decided in one place from what is known of its
// end: what the session's process described (its own verdict, the fault
// that ended it, a pending fault that stands, an exception in flight), how
// its process ended, and what its watcher saw. Describing a fault stays in
// the session's process, which alone can read its memory; deciding is here,
// so that it is the same for a single session, a suite and chaos, and can be
// tried from made-up facts.
#pragma once

#include <cstdint>
#include <string>

#include "base/exit_codes.h"

namespace standin {

// How the watcher saw the session's process end.
enum class Watched {
  Ended,         // by itself
  Stalled,       // ended by the watcher: no call to the host for longer than the stall cap allows
  HungAfterEnd,  // ended by the watcher: the session ended, the process did not
  Told,          // ended by the watcher once the verdict or the final fault was told
};

// An end told in words, with the code it gives; code 0: none.
struct Described {
  int code = 0;
  std::string message;
};

struct SessionFacts {
  bool reachedRunner = true;  // the process found the watcher's channel
  std::uint32_t exitValue = 0;
  Watched watched = Watched::Ended;
  std::string phase;          // what the session was doing at its end
  std::uint64_t stallMs = 0;
  Described verdict;          // the verdict the session's process reached itself
  bool finalFault = false;    // a fault that ends the session was copied
  Described final;            // as the describer told it, or told from the copy
  bool ended = false;         // the session told its own end, with its code
  int endCode = 0;
  Described standing;         // a pending fault after which the session did nothing more
  bool throwStands = false;   // a C++ exception still in flight
  std::string thrown;         // "TYPE: WHAT"
  std::string thrownAt;       // MODULE+0xOFFSET of the throw
  std::string thrownFrames;   // "; backtrace: ..."
};

struct Verdict {
  int code = kExitOk;
  std::string message;  // empty: the session told its own end
};

// The status of a process that failed fast (__fastfail).
constexpr std::uint32_t kFailFastStatus = 0xC0000409;

Verdict judge(const SessionFacts& facts);

}  // namespace standin

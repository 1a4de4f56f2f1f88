#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "null_host.h"

// What one frame asked of the host, kept so it can be asked again without
// the plug-in: the same natives with the same argument slots, and the same
// waits. Replayed through the same null host, it is the frame's floor: the
// host's cost that no plug-in doing this work could avoid.
class FloorScript {
 public:
  // Runs `frame` once, capturing its calls. The addresses of the plug-in's
  // own variables are replaced by `scratch`, which the host then writes in
  // their place; it must outlive every replay.
  static FloorScript record(void (*frame)(), std::uint32_t* scratch);

  void replay() const;
  bool calls(std::uint64_t hash) const;
  std::size_t callCount() const;
  // Whether a replay asks the host exactly what `frame` asks: each native's
  // hash and every argument slot (out-variables only as some address), and
  // every wait with its length. Empty when they agree, else the first difference.
  std::string differenceFrom(void (*frame)()) const;

 private:
  struct Step {
    std::uint64_t hash;      // a call's native
    std::uint32_t waitMs;    // a wait's length
    bool isWait;
    std::size_t firstArgument;
    std::size_t argumentCount;
  };

  std::vector<Step> steps_;
  std::vector<std::uint64_t> arguments_;  // every step's, one after the other
};

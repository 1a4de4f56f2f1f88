#pragma once

#include <cstdint>
#include <vector>

// What one frame asked of the host, kept so it can be asked again without
// the plug-in: the same natives with the same argument slots, and the same
// waits. Replayed through the same stand-in, it is the frame's floor: the
// host's cost that no plug-in doing this work could avoid.
class FloorScript {
 public:
  // Runs `frame` once with the stand-in recording. The addresses of the
  // plug-in's own variables are replaced by `scratch`, which the stand-in
  // then writes in their place; it must outlive every replay.
  static FloorScript record(void (*frame)(), std::uint32_t* scratch);

  void replay() const;
  bool calls(std::uint64_t hash) const;
  std::size_t callCount() const;

 private:
  struct Step {
    std::uint64_t hash;      // a call's native
    std::uint32_t waitMs;    // a wait's length
    bool isWait;
    std::size_t firstArgument;
    std::size_t argumentCount;
  };
  static std::uint64_t slotOfScratch(std::uint32_t* scratch);

  std::vector<Step> steps_;
  std::vector<std::uint64_t> arguments_;  // every step's, one after the other
};

#pragma once

#include <cstdint>

namespace standin {

// The game's time, as frames at a steady rate: frame F (from 1) begins at
// (F-1)*1000/fps ms. Everything is computed from the frame number in whole
// numbers, so no error builds up however long a session runs.
class GameClock {
 public:
  static constexpr std::uint32_t kDefaultFps = 60;
  static constexpr std::uint32_t kLargestFps = 1000;

  explicit GameClock(std::uint32_t fps = kDefaultFps) : fps_(fps == 0 ? kDefaultFps : fps) {}

  std::uint32_t fps() const { return fps_; }

  // When the frame begins, in whole milliseconds (rounded down).
  std::uint64_t beginMs(std::uint64_t frame) const { return (frame - 1) * 1000 / fps_; }

  // The frame in which a script that waits `ms` in `frame` runs again: the
  // first later frame that begins at least `ms` after `frame` began, so a
  // wait of 0 ms resumes it in the next frame.
  std::uint64_t wakeFrame(std::uint64_t frame, std::uint32_t ms) const {
    // (G-1)*1000/fps >= (F-1)*1000/fps + ms  <=>  G-F >= ms*fps/1000.
    const std::uint64_t framesToWait = (std::uint64_t{ms} * fps_ + 999) / 1000;
    return frame + (framesToWait == 0 ? 1 : framesToWait);
  }

 private:
  std::uint32_t fps_;
};

}  // namespace standin

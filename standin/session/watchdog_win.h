#pragma once

#include <windows.h>

#include <cstdint>

namespace standin::win {

// Ends the process when the session makes no progress (no call to the host,
// no step of the runner) for the given wall-clock time: a plug-in stuck in a
// loop, in DllMain or in its keyboard handler would otherwise hang the run.
class Watchdog {
 public:
  explicit Watchdog(std::uint64_t stallMs);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static DWORD WINAPI threadMain(void* self);
  bool runnerEnded() const;

  std::uint64_t stallMs_;
  HANDLE quit_ = nullptr;
  HANDLE runner_ = nullptr;  // the thread that made the watchdog: the runner's
  HANDLE thread_ = nullptr;
};

}  // namespace standin::win

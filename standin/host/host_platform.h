// What the recording host needs of the platform it runs on: a lock, a
// number per thread, and the platform's checks that the Windows exports set.
#pragma once

#include <cstdint>
#include <memory>

namespace standin {

// Serialises the host's shared state between the threads that call it.
class HostLock {
 public:
  HostLock();
  ~HostLock();
  HostLock(const HostLock&) = delete;
  HostLock& operator=(const HostLock&) = delete;
  void lock();
  void unlock();

 private:
  struct Native;
  std::unique_ptr<Native> native_;
};

class HostGuard {
 public:
  explicit HostGuard(HostLock& lock) : lock_(lock) { lock_.lock(); }
  ~HostGuard() { lock_.unlock(); }
  HostGuard(const HostGuard&) = delete;
  HostGuard& operator=(const HostGuard&) = delete;

 private:
  HostLock& lock_;
};

// The calling thread's number, the same for its whole life.
std::uint64_t hostThreadId();

}  // namespace standin

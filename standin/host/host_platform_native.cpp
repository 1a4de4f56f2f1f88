// The host's lock and thread numbers in native test builds.
#include <functional>
#include <mutex>
#include <thread>

#include "host/host_platform.h"

namespace standin {

struct HostLock::Native {
  std::mutex mutex;
};

HostLock::HostLock() : native_(std::make_unique<Native>()) {}
HostLock::~HostLock() = default;
void HostLock::lock() { native_->mutex.lock(); }
void HostLock::unlock() { native_->mutex.unlock(); }

std::uint64_t hostThreadId() { return std::hash<std::thread::id>()(std::this_thread::get_id()); }

}  // namespace standin

// The host's lock and thread numbers in the Windows host: the MinGW runtime's
// win32 threads have no std::mutex.
#include <windows.h>

#include "host/host_platform.h"

namespace standin {

struct HostLock::Native {
  SRWLOCK lock = SRWLOCK_INIT;
};

HostLock::HostLock() : native_(std::make_unique<Native>()) {}
HostLock::~HostLock() = default;
void HostLock::lock() { AcquireSRWLockExclusive(&native_->lock); }
void HostLock::unlock() { ReleaseSRWLockExclusive(&native_->lock); }

std::uint64_t hostThreadId() { return GetCurrentThreadId(); }

}  // namespace standin

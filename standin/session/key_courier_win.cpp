#include "session/key_courier_win.h"

#include "faults/running_thread_win.h"
#include "session/session_win.h"

namespace standin::win {

KeyCourier::KeyCourier(StandinHost& host) : host_(host) {
  request_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (request_ && done_) thread_ = startRunningThread(&KeyCourier::threadMain, this);
}

KeyCourier::~KeyCourier() {
  if (thread_) {
    quit_ = true;
    SetEvent(request_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (request_) CloseHandle(request_);
  if (done_) CloseHandle(done_);
}

DWORD WINAPI KeyCourier::threadMain(void* self) {
  auto* courier = static_cast<KeyCourier*>(self);
  WaitForSingleObject(courier->request_, INFINITE);
  for (;;) {
    if (courier->quit_) return 0;
    for (const KeyMessage& key : *courier->batch_) {
      heartbeat();
      courier->host_.deliverKey(key.code, key.repeats, key.scanCode, key.isExtended, key.isWithAlt,
                                key.wasDownBefore, key.isUpNow);
      heartbeat();
    }
    // One call to the system for both, as for the runner's side: under Wine
    // each is a trip to its server, and a session may have keys in every frame.
    SignalObjectAndWait(courier->done_, courier->request_, INFINITE, FALSE);
  }
}

// The watchdog, not a time-out here, ends a handler that never returns.
void KeyCourier::deliver(const std::vector<KeyMessage>& batch) {
  if (batch.empty() || !thread_) return;
  batch_ = &batch;
  SignalObjectAndWait(request_, done_, INFINITE, FALSE);
  batch_ = nullptr;
}

}  // namespace standin::win

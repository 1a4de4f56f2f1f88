#include "key_courier_win.h"

#include "session_win.h"

namespace standin::win {

KeyCourier::KeyCourier(StandinHost& host) : host_(host) {
  request_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (request_ && done_) thread_ = CreateThread(nullptr, 0, &KeyCourier::threadMain, this, 0, nullptr);
  // Waits until the thread runs: a new thread first takes the loader lock to
  // tell the libraries it started, the plug-in among them once it is loaded.
  // Started late, the plug-in's DllMain would be told of it on some runs and
  // not on others, and the lock held by a DllMain that faulted would hold it.
  if (thread_) WaitForSingleObject(done_, INFINITE);
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
  SignalObjectAndWait(courier->done_, courier->request_, INFINITE, FALSE);
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

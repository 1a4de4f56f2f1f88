#pragma once

#include <windows.h>

#include <vector>

#include "scenario/scenario.h"
#include "host/standin_host.h"

namespace standin::win {

// Delivers keyboard messages to the plug-in's handler from a thread of its
// own, as the game's window thread does. The runner waits until a batch is
// delivered, so the trace has one order on every run.
class KeyCourier {
 public:
  explicit KeyCourier(StandinHost& host);
  ~KeyCourier();
  KeyCourier(const KeyCourier&) = delete;
  KeyCourier& operator=(const KeyCourier&) = delete;

  bool ready() const { return thread_ != nullptr; }
  DWORD threadId() const { return GetThreadId(thread_); }
  void deliver(const std::vector<KeyMessage>& batch);

 private:
  static DWORD WINAPI threadMain(void* self);

  StandinHost& host_;
  HANDLE request_ = nullptr;
  HANDLE done_ = nullptr;
  HANDLE thread_ = nullptr;
  const std::vector<KeyMessage>* batch_ = nullptr;
  volatile bool quit_ = false;
};

}  // namespace standin::win

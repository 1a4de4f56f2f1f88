#include "faults/running_thread_win.h"

namespace standin::win {

namespace {

struct ThreadStart {
  LPTHREAD_START_ROUTINE main;
  void* param;
  HANDLE running;
};

DWORD WINAPI runStarted(void* given) {
  const ThreadStart start = *static_cast<const ThreadStart*>(given);
  SetEvent(start.running);
  return start.main(start.param);
}

}  // namespace

HANDLE startRunningThread(LPTHREAD_START_ROUTINE main, void* param, DWORD* id) {
  ThreadStart start{main, param, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  if (!start.running) return nullptr;
  const HANDLE thread = CreateThread(nullptr, 0, &runStarted, &start, 0, id);
  if (thread) WaitForSingleObject(start.running, INFINITE);
  CloseHandle(start.running);
  return thread;
}

}  // namespace standin::win

#include "faults/abandon_win.h"

#include <windows.h>

#include "channel/session_channel_win.h"
#include "faults/plugin_output_win.h"
#include "host/standin_host.h"

namespace standin::win {

namespace {
void (*volatile g_saveTrace)() = nullptr;
}  // namespace

void setTraceSaver(void (*saveTrace)()) { g_saveTrace = saveTrace; }

void abandon(const std::string& message, ExitCode code) {
  SessionChannel& block = channel();
  if (InterlockedCompareExchange(&block.verdictClaimed, 1, 0) != 0) {
    for (;;) Sleep(INFINITE);  // another thread's verdict came first
  }
  takePluginOutput(true);
  block.frame = static_cast<LONG64>(StandinHost::instance().frame());
  copyText(block.message, message.c_str());
  // The message is whole before the code says there is one.
  InterlockedExchange(&block.verdict, code);
  if (g_saveTrace) g_saveTrace();
  block.frame = static_cast<LONG64>(StandinHost::instance().frame());
  TerminateProcess(GetCurrentProcess(), code);
  for (;;) Sleep(INFINITE);
}

}  // namespace standin::win

// What the session's process tells the runner's process that watches it.
// It lives in memory that both map, so it outlasts the session's process
// however that ends: by the runner's verdict, by the plug-in's exit or
// TerminateProcess, or killed while it hangs under the loader lock.
#pragma once

#include <windows.h>

#include <cstdint>

namespace standin::win {

struct SessionChannel {
  // Counted up by every call to the host and every step of the runner.
  volatile LONG heartbeat = 0;
  // The scenario's stall cap, once it is read; 0 before.
  volatile LONG stallMs = 0;
  // For the stop line and the summary that the watching runner may write.
  volatile LONG64 frame = 1;
  volatile LONG64 framesPlayed = 0;
  volatile LONG64 calls = 0;
  // The session's own end: 1 when it told everything and returned its code.
  volatile LONG ended = 0;
  // The exit code of a verdict the session reached; 0 before.
  volatile LONG verdict = 0;
  // A fault or a C++ exception seen that may yet end the session, should it
  // end without a verdict: its exit code, 0 for none. It stands when
  // `faultCertain`, or while the heartbeat is still `faultHeartbeat` (the
  // plug-in made no call to the host since, so nothing says it recovered).
  volatile LONG fault = 0;
  volatile LONG faultCertain = 0;
  volatile LONG faultHeartbeat = 0;
  volatile LONG traceOpen = 0;
  char phase[96] = "starting";
  char message[4096] = "";
  char faultMessage[4096] = "";
  char tracePath[4 * MAX_PATH] = "";
};

// The block of this process: mapped from the runner's when there is one,
// a block of its own otherwise.
SessionChannel& channel();

// The watching runner makes the block in an inheritable mapping, which the
// process it starts finds by the handle's number in kChannelVariable.
SessionChannel* makeSharedChannel(HANDLE& mapping);
extern const char* const kChannelVariable;
// True in the session's process, which has the runner's block now.
bool attachRunnersChannel();

// Copies `text` into a block field, cut to fit.
void copyText(char* field, std::size_t size, const char* text);
template <std::size_t N>
void copyText(char (&field)[N], const char* text) {
  copyText(field, N, text);
}

// Whether the recorded fault is what ended the session.
bool faultStands(const SessionChannel& block);

}  // namespace standin::win

// What happened in a session, one event at a time: what the plug-in asked of
// the host and what the host answered, in the order it happened. Traces are
// written from events and read back into them, and the checks judge them, so
// this header stands apart from the host that records them.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace standin {

enum class EventKind {
  ScriptRegister,
  ScriptUnregister,
  KeyboardRegister,
  KeyboardUnregister,
  Wait,
  Call,
  // Not asked by the plug-in, but part of the session's story:
  Load,    // the plug-in was loaded; detail: its file name
  Unload,  // the plug-in is about to be unloaded
  Key,     // a keyboard message; args: the handler's seven arguments
  Stop,    // the host stopped running the script; detail: why
  Misuse,  // the plug-in broke a rule of the host; detail: which
  Debug,   // the plug-in's debug output or a line it wrote to stdout or stderr; detail: the text
};

// One thing the plug-in asked of the host, in the order it asked.
struct HostEvent {
  EventKind kind = EventKind::Call;
  std::uint64_t frame = 0;           // frames are numbered from 1; a frame ends at each wait of 0 ms
  std::uint64_t hash = 0;            // Call
  std::vector<std::uint64_t> args;   // Call: the argument slots as pushed
  std::map<unsigned, std::string> texts;  // Call: the text behind each text argument
  std::set<unsigned> outArgs;        // Call: arguments that are addresses of the plug-in's variables
  std::map<unsigned, std::uint32_t> outWritten;  // Call: what the host wrote through them
  // Call: 64-bit values (one slot) and vectors (three) the host wrote through them.
  std::map<unsigned, std::vector<std::uint64_t>> outWrittenWide;
  std::uint64_t results[3] = {0, 0, 0};          // Call: the first three result slots
  std::uint32_t waitMs = 0;          // Wait
  const void* pointer = nullptr;     // registrations: the module or the function
  std::string detail;                // Load, Stop, Misuse, Debug; Key: "no handler" when not delivered
  std::size_t traceLine = 0;         // read back from a trace: its line there
};

}  // namespace standin

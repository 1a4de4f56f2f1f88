#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/quoted_text.h"
#include "trace/trace_event.h"

namespace standin {

// Writes a session as text, one line per event, the same on every run: no
// addresses, only what the plug-in asked and what the host answered.
//   <frame> load "<file name>"          <frame> unload
//   <frame> scriptRegister self|other   <frame> scriptUnregister self|other
//   <frame> keyboardHandlerRegister     <frame> keyboardHandlerUnregister registered|other
//   <frame> key 0x<code> repeats=N scan=N extended=N alt=N was-down=N up-now=N [no-handler]
//   <frame> wait <ms>
//   <frame> call 0x<hash> <arg>... [-> 0x<slot0> [0x<slot1> 0x<slot2>]]
//   <frame> stop "<why>"                <frame> misuse "<what>"
//   <frame> debug "<text the plug-in wrote>"
// An argument is 0x and 16 hex digits, a "quoted text", & for the address of
// a variable of the plug-in, or &0x<8 hex digits> when the host wrote that value there
// (&0x<16 digits> a 64-bit value, &0x<8>,0x<8>,0x<8> a vector).
class TraceWriter {
 public:
  // `pluginModule` tells registrations of the plug-in's own module from others.
  TraceWriter(std::ostream& out, const void* pluginModule) : out_(out), pluginModule_(pluginModule) {}
  void write(const HostEvent& event);
  void writeAll(const std::vector<HostEvent>& events);

 private:
  std::string describe(const HostEvent& event);

  std::ostream& out_;
  const void* pluginModule_;
  const void* keyboardHandler_ = nullptr;
};

// What a session ran under, written as '#' lines at the head of its trace,
// so that a scenario made from the trace alone plays it as it was:
//   # standin trace
//   # fps 60
//   # cap calls-per-frame 10000     # cap frames 100000     # cap stall-ms 10000
//   # names "PATH"                  # allow RULE-ID
//   # strict
//   # include "PATH" 0xHASH         (a file the scenario included, and the hash of its text)
//   # folder "PATH"                 (the working folder, from the trace's folder)
//   # expect line "FILE" "TEXT"     # expect no-reload-loss
// Readers that know nothing of it take the lines for comments.
struct TraceHeader {
  std::uint32_t fps = 0;  // 0: the trace has no header
  std::uint64_t callsPerFrame = 0, framesCap = 0, stallMs = 0;
  std::vector<std::string> namesFiles;
  std::vector<std::string> allowed;  // rule ids
  std::vector<std::pair<std::string, std::uint64_t>> includes;  // path from the trace's folder, hash of its text
  bool strict = false;  // a broken rule ended the session
  std::string folder;  // relative to the trace's folder; empty: not told
  std::vector<std::pair<std::string, std::string>> lineExpectations;  // file in the working folder, text
  bool noReloadLoss = false;
};
void writeTraceHeader(std::ostream& out, const TraceHeader& header);

// A trace that does not read, or holds what no session makes; its message
// starts "line N: " when one line shows it.
class TraceError : public std::runtime_error {
 public:
  explicit TraceError(const std::string& reason, std::size_t line = 0)
      : std::runtime_error(line == 0 ? reason : "line " + std::to_string(line) + ": " + reason),
        line_(line), reason_(reason) {}
  std::size_t line() const { return line_; }
  const std::string& reason() const { return reason_; }

 private:
  std::size_t line_;
  std::string reason_;
};

// Reads a trace back into events, each with its line number. Registrations
// carry self/other/registered in `detail` instead of a pointer; blank lines
// and '#' comment lines are skipped. `whole` refuses a trace whose last line
// has no line feed: one cut short, as by a full disk or a copy stopped early.
// `header`, when given, gets the trace's header.
std::vector<HostEvent> readTrace(std::istream& in, bool whole = false, TraceHeader* header = nullptr);

// A slot, or an out-variable's value, as a trace line writes it, without the
// leading zeros: 0x0000000000000001 as 0x1, zero as 0, &0x00000005 as &0x5.
std::string shortSlot(const std::string& word);

// The word that names an event kind in a trace line.
const char* traceKindName(EventKind kind);

// Argument `index` of a call as a trace line writes it.
std::string traceArgument(const HostEvent& call, unsigned index);
// Field `index` (1 to 6) of a key message as a trace line writes it: "NAME=VALUE".
std::string traceKeyField(const HostEvent& key, unsigned index);

}  // namespace standin

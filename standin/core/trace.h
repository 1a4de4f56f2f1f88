#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "standin_host.h"

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
// a variable of the plug-in, or &0x<8 hex digits> when the host wrote that value there.
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

// A trace line that does not read; its message starts "line N: ".
class TraceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a trace back into events. Registrations carry self/other/registered
// in `detail` instead of a pointer; blank lines and '#' comment lines are skipped.
std::vector<HostEvent> readTrace(std::istream& in);

// The word that names an event kind in a trace line.
const char* traceKindName(EventKind kind);

// Argument `index` of a call as a trace line writes it.
std::string traceArgument(const HostEvent& call, unsigned index);
// Field `index` (1 to 6) of a key message as a trace line writes it: "NAME=VALUE".
std::string traceKeyField(const HostEvent& key, unsigned index);

}  // namespace standin

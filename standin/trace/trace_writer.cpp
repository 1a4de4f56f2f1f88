#include <cinttypes>
#include <cstdio>
#include <ostream>

#include "base/quoted_text.h"
#include "trace/trace.h"

namespace standin {

namespace {

std::string describeCall(const HostEvent& call) {
  std::string line = hex(call.hash, 16);
  for (unsigned i = 0; i < call.args.size(); ++i) line += " " + traceArgument(call, i);
  const bool moreSlots = call.results[1] != 0 || call.results[2] != 0;
  if (call.results[0] != 0 || moreSlots) line += " -> " + hex(call.results[0], 16);
  if (moreSlots) line += " " + hex(call.results[1], 16) + " " + hex(call.results[2], 16);
  return line;
}

std::string describeKey(const HostEvent& key) {
  std::string line = hex(key.args.empty() ? 0 : key.args[0], 8);
  for (unsigned i = 1; i < key.args.size() && i <= 6; ++i) line += " " + traceKeyField(key, i);
  if (!key.detail.empty()) line += " no-handler";
  return line;
}

}  // namespace

std::string traceArgument(const HostEvent& call, unsigned index) {
  const auto text = call.texts.find(index);
  if (text != call.texts.end()) return quoteText(text->second);
  const auto written = call.outWritten.find(index);
  if (written != call.outWritten.end()) return "&" + hex(written->second, 8);
  const auto wide = call.outWrittenWide.find(index);
  if (wide != call.outWrittenWide.end()) return wideOutWord(wide->second);
  if (call.outArgs.count(index)) return "&";
  return hex(call.args[index], 16);
}

std::string traceKeyField(const HostEvent& key, unsigned index) {
  static const char* const names[] = {"repeats", "scan", "extended", "alt", "was-down", "up-now"};
  // The four flags are signed 32-bit values; the counts are unsigned.
  const std::uint64_t raw = key.args[index];
  const std::int64_t value = index >= 3 ? static_cast<std::int32_t>(raw) : static_cast<std::int64_t>(raw);
  return std::string(names[index - 1]) + "=" + std::to_string(value);
}

const char* traceKindName(EventKind kind) {
  switch (kind) {
    case EventKind::ScriptRegister: return "scriptRegister";
    case EventKind::ScriptUnregister: return "scriptUnregister";
    case EventKind::KeyboardRegister: return "keyboardHandlerRegister";
    case EventKind::KeyboardUnregister: return "keyboardHandlerUnregister";
    case EventKind::Wait: return "wait";
    case EventKind::Call: return "call";
    case EventKind::Load: return "load";
    case EventKind::Unload: return "unload";
    case EventKind::Key: return "key";
    case EventKind::Stop: return "stop";
    case EventKind::Misuse: return "misuse";
    case EventKind::Debug: return "debug";
  }
  return "?";
}

std::string TraceWriter::describe(const HostEvent& event) {
  switch (event.kind) {
    case EventKind::ScriptRegister:
    case EventKind::ScriptUnregister:
      if (!event.detail.empty()) return event.detail;
      return event.pointer == pluginModule_ ? "self" : "other";
    case EventKind::KeyboardRegister:
      keyboardHandler_ = event.pointer;
      return "";
    case EventKind::KeyboardUnregister:
      if (!event.detail.empty()) return event.detail;
      return event.pointer == keyboardHandler_ ? "registered" : "other";
    case EventKind::Wait: return std::to_string(event.waitMs);
    case EventKind::Call: return describeCall(event);
    case EventKind::Key: return describeKey(event);
    case EventKind::Unload: return "";
    case EventKind::Load:
    case EventKind::Stop:
    case EventKind::Misuse:
    case EventKind::Debug: return quoteText(event.detail);
  }
  return "";
}

void writeTraceHeader(std::ostream& out, const TraceHeader& header) {
  out << "# standin trace\n# fps " << header.fps << "\n# cap calls-per-frame " << header.callsPerFrame
      << "\n# cap frames " << header.framesCap << "\n# cap stall-ms " << header.stallMs << "\n";
  for (const std::string& names : header.namesFiles) out << "# names " << quoteText(names) << "\n";
  for (const std::string& rule : header.allowed) out << "# allow " << rule << "\n";
  if (header.strict) out << "# strict\n";
  for (const auto& [path, hash] : header.includes) out << "# include " << quoteText(path) << " " << hex(hash, 16) << "\n";
  if (!header.folder.empty()) out << "# folder " << quoteText(header.folder) << "\n";
  for (const auto& [file, text] : header.lineExpectations)
    out << "# expect line " << quoteText(file) << " " << quoteText(text) << "\n";
  if (header.noReloadLoss) out << "# expect no-reload-loss\n";
}

std::string shortSlot(const std::string& word) {
  const std::size_t comma = word.find(',');
  if (comma != std::string::npos) return shortSlot(word.substr(0, comma)) + "," + shortSlot(word.substr(comma + 1));
  const std::size_t digits = word.rfind("0x", 0) == 0 ? 2 : word.rfind("&0x", 0) == 0 ? 3 : 0;
  if (digits == 0) return word;
  const std::size_t first = word.find_first_not_of('0', digits);
  const std::string prefix = word.substr(0, digits - 2);
  return first == std::string::npos ? prefix + "0" : prefix + "0x" + word.substr(first);
}

void TraceWriter::write(const HostEvent& event) {
  const std::string details = describe(event);
  out_ << event.frame << ' ' << traceKindName(event.kind);
  if (!details.empty()) out_ << ' ' << details;
  out_ << '\n';
}

void TraceWriter::writeAll(const std::vector<HostEvent>& events) {
  for (const auto& event : events) write(event);
}

}  // namespace standin

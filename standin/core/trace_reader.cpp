#include <istream>

#include "quoted_text.h"
#include "scenario_words.h"
#include "trace.h"

namespace standin {

namespace {

constexpr std::uint64_t kAll64 = ~0ull;

EventKind kindNamed(const std::string& name) {
  for (EventKind kind : {EventKind::ScriptRegister, EventKind::ScriptUnregister, EventKind::KeyboardRegister,
                         EventKind::KeyboardUnregister, EventKind::Wait, EventKind::Call, EventKind::Load,
                         EventKind::Unload, EventKind::Key, EventKind::Stop, EventKind::Misuse, EventKind::Debug})
    if (name == traceKindName(kind)) return kind;
  throw LineError("unknown event '" + name + "'");
}

std::string takeQuoted(Words& words, const char* what) {
  const Token& token = words.take(what);
  if (!token.quoted) throw LineError(std::string("expected a quoted ") + what);
  return token.text;
}

std::string takeChoice(Words& words, std::initializer_list<const char*> choices) {
  const std::string word = words.take("registration detail").text;
  for (const char* choice : choices)
    if (word == choice) return word;
  throw LineError("unexpected '" + word + "'");
}

void readArgument(const Token& token, HostEvent& call) {
  const auto index = static_cast<unsigned>(call.args.size());
  call.args.push_back(0);
  if (token.quoted) {
    call.texts[index] = token.text;
  } else if (token.text == "&") {
    call.outArgs.insert(index);
  } else if (token.text[0] == '&') {
    call.outArgs.insert(index);
    call.outWritten[index] = static_cast<std::uint32_t>(
        parseUnsigned({token.text.substr(1), false}, 0xFFFFFFFFull, "written value"));
  } else {
    call.args.back() = parseUnsigned(token, kAll64, "argument");
  }
}

void readCall(Words& words, HostEvent& call) {
  call.hash = parseUnsigned(words.take("native hash"), kAll64, "native hash");
  while (!words.done() && words.peek() != "->") readArgument(words.take("argument"), call);
  if (words.done()) return;
  words.take("'->'");
  call.results[0] = parseUnsigned(words.take("result"), kAll64, "result");
  if (words.done()) return;
  call.results[1] = parseUnsigned(words.take("second result slot"), kAll64, "result");
  call.results[2] = parseUnsigned(words.take("third result slot"), kAll64, "result");
}

void readKey(Words& words, HostEvent& key) {
  static const char* const names[] = {"repeats=", "scan=", "extended=", "alt=", "was-down=", "up-now="};
  key.args.push_back(parseUnsigned(words.take("key code"), 0xFFFFFFFFull, "key code"));
  for (const char* name : names) {
    const std::string field = words.take(name).text;
    const std::string prefix(name);
    if (field.compare(0, prefix.size(), prefix) != 0) throw LineError("expected " + prefix + "N");
    const std::string value = field.substr(prefix.size());
    const bool negative = !value.empty() && value[0] == '-';
    std::uint64_t number = parseUnsigned({negative ? value.substr(1) : value, false}, 0x80000000ull, name);
    key.args.push_back(static_cast<std::uint32_t>(negative ? 0 - number : number));
  }
  if (!words.done()) {
    takeChoice(words, {"no-handler"});
    key.detail = "no handler";
  }
}

HostEvent readLine(Words& words) {
  HostEvent event;
  event.frame = parseUnsigned(words.take("frame number"), kAll64, "frame number");
  event.kind = kindNamed(words.take("event").text);
  switch (event.kind) {
    case EventKind::ScriptRegister:
    case EventKind::ScriptUnregister: event.detail = takeChoice(words, {"self", "other"}); break;
    case EventKind::KeyboardUnregister: event.detail = takeChoice(words, {"registered", "other"}); break;
    case EventKind::KeyboardRegister:
    case EventKind::Unload: break;
    case EventKind::Wait:
      event.waitMs = static_cast<std::uint32_t>(parseUnsigned(words.take("milliseconds"), 0xFFFFFFFFull, "wait"));
      break;
    case EventKind::Call: readCall(words, event); break;
    case EventKind::Key: readKey(words, event); break;
    case EventKind::Load:
    case EventKind::Stop:
    case EventKind::Misuse:
    case EventKind::Debug: event.detail = takeQuoted(words, "text"); break;
  }
  words.expectEnd();
  return event;
}

}  // namespace

std::vector<HostEvent> readTrace(std::istream& in) {
  std::vector<HostEvent> events;
  std::string line;
  for (std::size_t lineNumber = 1; std::getline(in, line); ++lineNumber) {
    try {
      Words words(tokenizeLine(line));
      if (!words.done()) events.push_back(readLine(words));
    } catch (const LineError& error) {
      throw TraceError("line " + std::to_string(lineNumber) + ": " + printableText(error.what()));
    }
  }
  return events;
}

}  // namespace standin

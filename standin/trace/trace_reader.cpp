#include <istream>
#include <iterator>

#include "base/quoted_text.h"
#include "scenario/scenario_words.h"
#include "trace/trace.h"

namespace standin {

namespace {

constexpr std::uint64_t kAll64 = ~0ull;

EventKind kindNamed(const std::string& name) {
  for (EventKind kind : {EventKind::ScriptRegister, EventKind::ScriptUnregister, EventKind::KeyboardRegister,
                         EventKind::KeyboardUnregister, EventKind::Wait, EventKind::Call, EventKind::Load,
                         EventKind::Unload, EventKind::Key, EventKind::Stop, EventKind::Misuse, EventKind::Debug})
    if (name == traceKindName(kind)) return kind;
  throw LineError("unknown event " + shownWord(name));
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
  throw LineError("unexpected " + shownWord(word));
}

// 0xV (32 bits), 0x and 16 digits (64 bits), or 0xX,0xY,0xZ (a vector).
void readWrittenValue(const std::string& text, unsigned index, HostEvent& call) {
  if (text.find(',') != std::string::npos) {
    std::vector<std::uint64_t>& slots = call.outWrittenWide[index];
    for (std::size_t at = 0;;) {
      const std::size_t comma = text.find(',', at);
      slots.push_back(parseUnsigned({text.substr(at, comma == std::string::npos ? comma : comma - at), false},
                                    0xFFFFFFFFull, "written vector component"));
      if (comma == std::string::npos) break;
      at = comma + 1;
    }
    if (slots.size() != 3) throw LineError("a written vector has three components, not " + std::to_string(slots.size()));
  } else if (text.size() == 18 && text.rfind("0x", 0) == 0) {
    call.outWrittenWide[index] = {parseUnsigned({text, false}, kAll64, "written value")};
  } else {
    call.outWritten[index] = static_cast<std::uint32_t>(parseUnsigned({text, false}, 0xFFFFFFFFull, "written value"));
  }
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
    readWrittenValue(token.text.substr(1), index, call);
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
  // What the handler's parameters hold: a 16-bit count, an 8-bit scan code, four 32-bit flags.
  static const std::uint64_t largest[] = {0xFFFF, 0xFF, 0x80000000ull, 0x80000000ull, 0x80000000ull, 0x80000000ull};
  key.args.push_back(parseUnsigned(words.take("key code"), 0xFFFFFFFFull, "key code"));
  for (std::size_t i = 0; i < std::size(names); ++i) {
    const char* name = names[i];
    const std::string field = words.take(name).text;
    const std::string prefix(name);
    if (field.compare(0, prefix.size(), prefix) != 0) throw LineError("expected " + prefix + "N");
    const std::string value = field.substr(prefix.size());
    const bool negative = i >= 2 && !value.empty() && value[0] == '-';
    std::uint64_t number = parseUnsigned({negative ? value.substr(1) : value, false}, largest[i], name);
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

// "# KEY VALUE..." of the header; other comment lines are left alone.
void readHeaderLine(const std::string& line, TraceHeader& header) {
  Words words(tokenizeLine(std::string_view(line).substr(2)));
  const std::string key = words.peek();
  if (key == "fps") {
    words.take("fps");
    if (header.fps != 0) throw LineError("a second '# fps' line: a session has one frame rate");
    header.fps = static_cast<std::uint32_t>(parseUnsigned(words.take("frames per second"), 1000, "fps"));
    if (header.fps == 0) throw LineError("'# fps 0': a session plays at least 1 frame a second");
  } else if (key == "cap") {
    words.take("cap");
    const std::string name = words.take("cap name").text;
    const std::uint64_t value = parseUnsigned(words.take("cap"), ~0ull, "cap");
    std::uint64_t* target = name == "calls-per-frame" ? &header.callsPerFrame
                            : name == "frames"        ? &header.framesCap
                            : name == "stall-ms"      ? &header.stallMs
                                                      : nullptr;
    if (!target) throw LineError("unknown cap " + shownWord(name));
    *target = value;
  } else if (key == "names") {
    words.take("names");
    header.namesFiles.push_back(takeQuoted(words, "names file"));
  } else if (key == "allow") {
    words.take("allow");
    header.allowed.push_back(words.take("rule id").text);
  } else if (key == "include") {
    words.take("include");
    std::string path = takeQuoted(words, "included file");
    header.includes.emplace_back(std::move(path), parseUnsigned(words.take("hash of its text"), kAll64, "hash"));
  } else if (key == "strict") {
    words.take("strict");
    header.strict = true;
  } else if (key == "folder") {
    words.take("folder");
    header.folder = takeQuoted(words, "working folder");
  } else if (key == "expect") {
    words.take("expect");
    if (words.peek() == "no-reload-loss") {
      words.take("no-reload-loss");
      header.noReloadLoss = true;
    } else {
      takeChoice(words, {"line"});
      std::string file = takeQuoted(words, "file");
      header.lineExpectations.emplace_back(std::move(file), takeQuoted(words, "text"));
    }
  } else {
    return;
  }
  words.expectEnd();
}

}  // namespace

std::vector<HostEvent> readTrace(std::istream& in, bool whole, TraceHeader* header) {
  std::vector<HostEvent> events;
  std::string line;
  for (std::size_t lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (whole && in.eof()) throw TraceError("the trace ends inside this line, with no line feed: it was cut short", lineNumber);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    try {
      if (header && line.rfind("# ", 0) == 0) readHeaderLine(line, *header);
      Words words(tokenizeLine(line));
      if (!words.done()) events.push_back(readLine(words));
    } catch (const LineError& error) {
      throw TraceError(printableText(error.what()), lineNumber);
    }
    if (!events.empty() && events.back().traceLine == 0) events.back().traceLine = lineNumber;
  }
  return events;
}

}  // namespace standin

#include <gtest/gtest.h>

#include <sstream>

#include "trace.h"

namespace {

using standin::EventKind;
using standin::HostEvent;

HostEvent event(EventKind kind, std::uint64_t frame) {
  HostEvent e;
  e.kind = kind;
  e.frame = frame;
  return e;
}

const void* const kModule = reinterpret_cast<const void*>(0x180000000ull);
const void* const kHandler = reinterpret_cast<const void*>(0x180001234ull);

// One of every kind of line, with the awkward cases of each.
std::vector<HostEvent> session() {
  std::vector<HostEvent> events;
  auto load = event(EventKind::Load, 1);
  load.detail = "Vantomere.asi";
  events.push_back(load);
  auto reg = event(EventKind::ScriptRegister, 1);
  reg.pointer = kModule;
  events.push_back(reg);
  auto keyReg = event(EventKind::KeyboardRegister, 1);
  keyReg.pointer = kHandler;
  events.push_back(keyReg);
  auto key = event(EventKind::Key, 1);
  key.args = {0x52, 1, 0x13, 0, 0xFFFFFFFF, 1, 0x80000000};
  key.detail = "no handler";
  events.push_back(key);
  auto wait = event(EventKind::Wait, 1);
  wait.waitMs = 500;
  events.push_back(wait);
  auto hash = event(EventKind::Call, 1);
  hash.hash = 0xFD340785ADF8CFB7;
  hash.args = {0x7FF700001000};
  hash.texts[0] = "say \"hi\"\\\n\t\x01\xE9";
  hash.results[0] = 0xA2719263;
  events.push_back(hash);
  auto weapon = event(EventKind::Call, 1);
  weapon.hash = 0x3A87E44BB9A01D54;
  weapon.args = {0xFFFFFFFF, 0x22FE10, 0, 0x22FE14};
  weapon.outArgs = {1, 3};
  weapon.outWritten[1] = 0x28950C71;
  events.push_back(weapon);
  auto vector = event(EventKind::Call, 2);
  vector.hash = 0x2412D9C05BB09B97;
  vector.results[0] = 0x3FC00000;
  vector.results[2] = 0xFFFFFFFF3F800000;
  events.push_back(vector);
  auto misuse = event(EventKind::Misuse, 2);
  misuse.detail = "native call outside the script";
  events.push_back(misuse);
  auto stop = event(EventKind::Stop, 2);
  stop.detail = "plug-in made more than 10 native calls without waiting";
  events.push_back(stop);
  events.push_back(event(EventKind::Unload, 3));
  auto unreg = event(EventKind::ScriptUnregister, 3);
  unreg.pointer = nullptr;
  events.push_back(unreg);
  auto keyUnreg = event(EventKind::KeyboardUnregister, 3);
  keyUnreg.pointer = kHandler;
  events.push_back(keyUnreg);
  return events;
}

std::string write(const std::vector<HostEvent>& events) {
  std::ostringstream out;
  standin::TraceWriter(out, kModule).writeAll(events);
  return out.str();
}

std::vector<HostEvent> read(const std::string& text) {
  std::istringstream in(text);
  return standin::readTrace(in);
}

TEST(TraceWriter, WritesOneStableLinePerEvent) {
  EXPECT_EQ(write(session()),
            "1 load \"Vantomere.asi\"\n"
            "1 scriptRegister self\n"
            "1 keyboardHandlerRegister\n"
            "1 key 0x00000052 repeats=1 scan=19 extended=0 alt=-1 was-down=1 up-now=-2147483648 no-handler\n"
            "1 wait 500\n"
            "1 call 0xFD340785ADF8CFB7 \"say \\\"hi\\\"\\\\\\n\\t\\x01\\xE9\" -> 0x00000000A2719263\n"
            "1 call 0x3A87E44BB9A01D54 0x00000000FFFFFFFF &0x28950C71 0x0000000000000000 &\n"
            "2 call 0x2412D9C05BB09B97 -> 0x000000003FC00000 0x0000000000000000 0xFFFFFFFF3F800000\n"
            "2 misuse \"native call outside the script\"\n"
            "2 stop \"plug-in made more than 10 native calls without waiting\"\n"
            "3 unload\n"
            "3 scriptUnregister other\n"
            "3 keyboardHandlerUnregister registered\n");
}

TEST(TraceReader, ReadsBackWhatTheWriterWrote) {
  const std::string text = write(session());
  const auto events = read(text);
  EXPECT_EQ(write(events), text);

  const auto original = session();
  ASSERT_EQ(events.size(), original.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].kind, original[i].kind) << i;
    EXPECT_EQ(events[i].frame, original[i].frame) << i;
  }
  EXPECT_EQ(events[1].detail, "self");
  EXPECT_EQ(events[3].args, original[3].args);
  EXPECT_EQ(events[3].detail, "no handler");
  EXPECT_EQ(events[4].waitMs, 500u);
  EXPECT_EQ(events[5].texts.at(0), original[5].texts.at(0));
  EXPECT_EQ(events[5].results[0], 0xA2719263u);
  // Addresses do not survive the trace: only which arguments were addresses.
  EXPECT_EQ(events[6].args, (std::vector<std::uint64_t>{0xFFFFFFFF, 0, 0, 0}));
  EXPECT_EQ(events[6].outArgs, (std::set<unsigned>{1, 3}));
  EXPECT_EQ(events[6].outWritten.at(1), 0x28950C71u);
  EXPECT_EQ(events[7].results[2], 0xFFFFFFFF3F800000ull);
  EXPECT_EQ(events[9].detail, original[9].detail);
  EXPECT_EQ(events[11].detail, "other");
}

TEST(TraceReader, SkipsBlankAndCommentLinesAndAcceptsCarriageReturns) {
  const auto events = read("# a trace\n\n1 wait 0\r\n2 call 0x0000000000000001\r\n");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].hash, 1u);
  EXPECT_EQ(events[1].frame, 2u);
}

TEST(TraceReader, RefusesBadLinesNamingTheLine) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"x wait 0", "line 2: bad frame number 'x'"},
      {"1 jump", "line 2: unknown event 'jump'"},
      {"1 wait", "line 2: missing milliseconds"},
      {"1 wait 0 0", "line 2: unexpected '0'"},
      {"1 call", "line 2: missing native hash"},
      {"1 call 0x1 ->", "line 2: missing result"},
      {"1 call 0x1 -> 0x1 0x2", "line 2: missing third result slot"},
      {"1 call 0x1 &zz", "line 2: bad written value 'zz'"},
      {"1 call 0x1 \"open", "line 2: unterminated or badly escaped quoted text"},
      {"1 scriptRegister maybe", "line 2: unexpected 'maybe'"},
      {"1 key 0x41 repeats=1", "line 2: missing scan="},
      {"1 key 0x41 repeats=1 scan=0 extended=0 alt=0 was-down=0 down=0", "line 2: expected up-now=N"},
      {"1 load Vantomere.asi", "line 2: expected a quoted text"},
  };
  for (const auto& c : cases) {
    try {
      read(std::string("1 wait 0\n") + c.line + "\n");
      ADD_FAILURE() << c.line << " was accepted";
    } catch (const standin::TraceError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << c.line << "\n  gave: " << error.what();
    }
  }
}

}  // namespace

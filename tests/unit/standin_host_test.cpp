#include <gtest/gtest.h>

#include <fstream>
#include <atomic>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "host_test_support.h"
#include "base/native_names.h"
#include "host/standin_host.h"

namespace {

using standin::Answer;
using standin::EventKind;

class StandinHostTest : public HostTest {};

std::uint64_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

TEST_F(StandinHostTest, RecordsTextsAddressesWritesAndResults) {
  host().declareTextArgument(0x20, 1);
  host().declareOutArgument(0x20, 2);
  host().answers().setDefault(0x20, Answer::ofWhole(0x1122334455667788).alsoOut(2, 77).alsoOut(3, 88));
  std::uint32_t variable = 0, unnamed = 0;
  host().nativeInit(0x20);
  host().nativePush64(5);
  host().nativePush64(address("name"));
  host().nativePush64(address(&variable));
  host().nativePush64(address(&unnamed));
  host().nativeCall();

  EXPECT_EQ(variable, 77u);
  EXPECT_EQ(unnamed, 88u);
  const auto call = host().calls().at(0);
  EXPECT_EQ(call.texts.at(1), "name");
  EXPECT_EQ(call.outArgs, (std::set<unsigned>{2}));
  EXPECT_EQ(call.outWritten, (std::map<unsigned, std::uint32_t>{{2, 77}, {3, 88}}));
  EXPECT_EQ(call.results[0], 0x1122334455667788u);
}

TEST_F(StandinHostTest, KnowsTheOutVariablesOfTheGameQueries) {
  EXPECT_TRUE(host().isOutArgument(0x3A87E44BB9A01D54, 1));
  EXPECT_TRUE(host().isOutArgument(0xD75960F6BD9EA49C, 1));
  EXPECT_TRUE(host().isTextArgument(0xFD340785ADF8CFB7, 0));
}

struct KeySeen {
  static inline int calls = 0;
  static inline HostBool last = 0;
  static void handler(HostDword, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool upNow) {
    ++calls;
    last = upNow;
  }
};

TEST_F(StandinHostTest, DeliversKeysOnlyToARegisteredHandler) {
  KeySeen::calls = 0;
  host().deliverKey(0x41, 1, 0, 0, 0, 0, 0);
  EXPECT_EQ(KeySeen::calls, 0);
  host().keyboardHandlerRegister(&KeySeen::handler);
  host().deliverKey(0x41, 1, 0, 0, 0, 1, -5);
  EXPECT_EQ(KeySeen::calls, 1);
  EXPECT_EQ(KeySeen::last, -5);

  const auto events = host().takeEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, EventKind::Key);
  EXPECT_EQ(events[0].detail, "no handler");
  EXPECT_EQ(events[2].args.back(), 0xFFFFFFFBu);
  EXPECT_TRUE(events[2].detail.empty());
  EXPECT_TRUE(host().events().empty()) << "taken events are gone";
}

TEST_F(StandinHostTest, FrameRangesOverrideTheDefaultLaterRangesWin) {
  auto& book = host().answers();
  book.setDefault(0x30, {Answer::ofInt(1), Answer::ofInt(2)});
  book.setForFrames(3, 6, 0x30, {Answer::ofInt(30)});
  book.setForFrames(5, standin::kLastFrame, 0x30, {Answer::ofInt(50)});
  book.setForFrame(4, 0x30, {});  // an empty sequence leaves the frame as it was
  EXPECT_EQ(book.find(1, 0x30, 0)->slots[0], 1u);
  EXPECT_EQ(book.find(1, 0x30, 7)->slots[0], 2u);
  EXPECT_EQ(book.find(4, 0x30, 0)->slots[0], 30u);
  EXPECT_EQ(book.find(5, 0x30, 0)->slots[0], 50u);
  EXPECT_EQ(book.find(~0ull, 0x30, 0)->slots[0], 50u);
  EXPECT_EQ(book.find(1, 0x31, 0), nullptr);
}

// Each way of breaking the protocol that the host sees for itself, as the
// misuse it records; a scenario's 'allow' silences a rule.
TEST_F(StandinHostTest, EachBrokenProtocolRuleIsRecordedWithItsId) {
  standin::NativeSignature pair;
  pair.parameters = pair.slots = {standin::ValueKind::Int, standin::ValueKind::Bool};
  pair.declaration = "(int, bool)";
  standin::declareSignature(0x3333, pair);
  auto call = [](std::uint64_t native, std::vector<std::uint64_t> slots) {
    host().nativeInit(native);
    for (std::uint64_t slot : slots) host().nativePush64(slot);
    host().nativeCall();
  };
  const struct {
    const char* what;
    std::function<void()> act;
    const char* misuse;  // empty: no rule broken
  } cases[] = {
      {"a declared call", [&] { call(0x3333, {0xFFFFFFFF, 1}); }, ""},
      {"push with no call begun", [] { host().nativePush64(7); host().nativeCall(); },
       "CALL-WITHOUT-INIT: nativePush64(0x0000000000000007) with no call begun (nativeInit first)"},
      {"call with no call begun", [] { host().nativeCall(); }, "CALL-WITHOUT-INIT: nativeCall() with no call begun"},
      {"a call left pending", [&] { host().nativeInit(0x2222); call(0x1111, {}); },
       "INIT-WHILE-PENDING: nativeInit(0x0000000000001111) while the call of 0x0000000000002222 begun with 0 pushes"},
      {"one push too few", [&] { call(0x3333, {1}); },
       "ARG-COUNT: 0x0000000000003333 takes 2 argument slots (int, bool), got 1 pushes"},
      {"a sign-extended int", [&] { call(0x3333, {~std::uint64_t{1}, 0}); },
       "ARG-KIND: argument 0 of 0x0000000000003333 is declared int, pushed 0xFFFFFFFFFFFFFFFE: upper 32 bits set"},
      {"a bool of 2", [&] { call(0x3333, {0, 2}); }, "ARG-KIND: argument 1 of 0x0000000000003333 is declared bool"},
      {"a null text to the text hash", [&] { call(standin::kTextHashNative, {0}); },
       "ARG-KIND: argument 0 of 0xFD340785ADF8CFB7 is declared text, pushed 0x0000000000000000: a null address"},
      {"65 pushes", [&] { call(0x4444, std::vector<std::uint64_t>(65, 1)); },
       "PUSH-BOUND: more than 64 pushes into a call of 0x0000000000004444"},
      {"registered again after unregistering", [] {
         host().scriptRegister(&host(), [] {});
         host().beginUnload();
         host().scriptUnregister(&host());
         host().scriptRegister(&host(), [] {});
       }, ""},
      {"the script twice", [] {
         host().scriptRegister(&host(), [] {});
         host().scriptRegister(&host(), [] {});
       }, "REGISTER-TWICE: scriptRegister for a module whose script is registered already"},
      {"a handler twice", [] {
         host().keyboardHandlerRegister(&KeySeen::handler);
         host().keyboardHandlerRegister(&KeySeen::handler);
       }, "REGISTER-TWICE: keyboardHandlerRegister while a handler is registered already"},
      {"a call of native 0", [&] { call(0, {}); }, "NATIVE-ZERO: nativeInit(0): no native has the hash 0"},
      {"a call made after a wait", [] {
         host().nativeInit(0x2222);
         host().scriptWait(0);
         host().nativeCall();
       }, "CALL-ACROSS-WAIT: the call of 0x0000000000002222 begun in frame 1 was made after a scriptWait"},
      // Forgotten at the unload: the next call begins as if none were pending.
      {"a call begun at the unload", [&] {
         host().nativeInit(0x2222);
         host().beginUnload();
         call(0, {});
       }, "CALL-PENDING-AT-UNLOAD: unloaded while the call of 0x0000000000002222 begun in frame 1 was never made "
          "(nativeCall first)NATIVE-ZERO"},
      {"a second module's script", [] {
         host().scriptRegister(&host(), [] {});
         host().scriptRegister(&KeySeen::calls, [] {});
         EXPECT_EQ(host().registeredModule(), &host());
       }, "REGISTER-FOREIGN-MODULE: scriptRegister for a second module while its script is registered: not the "
          "plug-in's own, so not registered"},
      {"a null handler", [] {
         host().keyboardHandlerRegister(nullptr);
         host().scriptRegister(&host(), nullptr);
       }, "HANDLER-NULL: keyboardHandlerRegister with a null function, so not registered"
          "HANDLER-NULL: scriptRegister with a null function"},
      {"a handler never registered", [] { host().keyboardHandlerUnregister(&KeySeen::handler); },
       "UNREGISTER-UNKNOWN: keyboardHandlerUnregister of a handler that was never registered"},
      {"a module never registered", [] { host().scriptUnregister(&host()); },
       "UNREGISTER-UNKNOWN: scriptUnregister for a module that was never registered"},
      {"the script unregistered in play", [] {
         host().scriptRegister(&host(), [] {});
         host().enterFrame(5, 0);
         host().scriptUnregister(&host());
       }, "SCRIPT-UNREGISTERED: the script was unregistered in frame 5, not as the plug-in was unloaded"},
      {"an out-variable where the plug-in may not write", [&] {
         host().pluginWritable = [](const void*, std::size_t) { return false; };
         host().answers().setDefault(0x20, Answer::ofWhole(0).alsoOut(0, 5));
         std::uint32_t variable = 0;
         call(0x20, {address(&variable)});
         host().pluginWritable = nullptr;
         EXPECT_EQ(variable, 0u);
       }, "OUT-NOT-WRITABLE: the answer of 0x0000000000000020 writes through argument 0, which is no writable memory "
          "of the plug-in's; not written"},
  };
  for (const auto& c : cases) {
    host().reset();
    c.act();
    std::string misuses;
    for (const auto& e : host().events())
      if (e.kind == EventKind::Misuse) misuses += e.detail;
    if (*c.misuse) {
      EXPECT_EQ(misuses.rfind(c.misuse, 0), 0u) << c.what << ": " << misuses;
    } else {
      EXPECT_EQ(misuses, "") << c.what;
    }
  }
  host().reset();
  host().allow(standin::Rule::ArgumentKind);
  call(0x3333, {0, 2});
  EXPECT_TRUE(host().events().size() == 1 && host().ruleTallies().empty()) << "allowed";
}

// The summary's warnings: one per rule and native, named.
TEST_F(StandinHostTest, WarnsOncePerRuleAndNative) {
  std::vector<std::string> told;
  host().onViolation = [&](const standin::RuleBreach& breach) { told.push_back(standin::ruleId(breach.rule)); };
  host().enterFrame(7, 0);
  for (int i = 0; i < 3; ++i) {
    host().nativeInit(standin::kTextHashNative);
    host().nativeCall();
  }
  host().nativeCall();
  EXPECT_EQ(told.size(), 4u);
  EXPECT_EQ(standin::ruleWarnings(host().ruleTallies()),
            (std::vector<std::string>{
                "CALL-WITHOUT-INIT: 1 time, first in frame 7: nativeCall() with no call begun (nativeInit first)",
                "ARG-COUNT: 3 times, first in frame 7: text hash (0xFD340785ADF8CFB7) takes 1 argument slots (text) -> "
                "hash, got 0 pushes"}));
}

// Threads of the plug-in's own call natives while its script calls them:
// each thread's call in the making and its answer are its own, so the
// script's calls keep their pushes and answers, and every other thread's
// call is a broken rule, never a call. Run under ThreadSanitizer too.
TEST_F(StandinHostTest, ThreadsOfItsOwnCallWhileTheScriptDoes) {
  constexpr int kThreads = 4;
  constexpr int kCallsEach = 2000;
  host().answers().setDefault(0x10, Answer::ofInt(7));
  std::atomic<int> told{0};
  host().onViolation = [&](const standin::RuleBreach& breach) {
    if (breach.rule == standin::Rule::NativeOutsideScript) ++told;
  };
  std::atomic<int> wrongAnswers{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < kCallsEach; ++i) {
        host().nativeInit(0x10);
        host().nativePush64(static_cast<std::uint64_t>(i));
        if (host().nativeCall()[0] != 0) ++wrongAnswers;
      }
    });
  go = true;
  int scriptCalls = 0;
  for (int frame = 0; frame < 50; ++frame) {
    for (int i = 0; i < 40; ++i, ++scriptCalls) {
      host().nativeInit(0x10);
      host().nativePush64(1);
      host().nativePush64(2);
      if (host().nativeCall()[0] != 7) ++wrongAnswers;
    }
    host().scriptWait(0);
  }
  for (auto& thread : threads) thread.join();

  EXPECT_EQ(wrongAnswers, 0);
  EXPECT_EQ(told, kThreads * kCallsEach);
  std::size_t misuses = 0;
  for (const auto& event : host().events()) {
    if (event.kind == EventKind::Call) {
      EXPECT_EQ(event.args, (std::vector<std::uint64_t>{1, 2}));
    }
    if (event.kind != EventKind::Misuse) continue;
    ++misuses;
    EXPECT_EQ(event.detail, "NATIVE-OUTSIDE-SCRIPT: native 0x0000000000000010 called outside the script, on a thread of its own");
  }
  EXPECT_EQ(host().calls().size(), static_cast<std::size_t>(scriptCalls));
  EXPECT_EQ(misuses, static_cast<std::size_t>(kThreads * kCallsEach));
}

// The reference's rules table holds a row per rule, as the rules table says
// what the plug-in did, and the repository's README the test plug-ins that
// show it; neither has another.
TEST(ProtocolRules, TheReadmesHaveARowPerRule) {
  const auto textOf = [](const char* path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  };
  const std::string reference = textOf(STANDIN_REFERENCE), readme = textOf(STANDIN_README);
  ASSERT_FALSE(reference.empty()) << STANDIN_REFERENCE;
  ASSERT_FALSE(readme.empty()) << STANDIN_README;
  for (int i = 0; i < standin::kRuleCount; ++i) {
    const std::string row = standin::ruleReadmeRow(static_cast<standin::Rule>(i));
    const std::size_t split = row.rfind(" | ", row.size() - 3);
    const std::size_t idEnd = row.find(" | ");
    const std::string what = row.substr(0, split) + " |", plugins = row.substr(0, idEnd) + row.substr(split);
    EXPECT_NE(reference.find("\n" + what + "\n"), std::string::npos) << what;
    EXPECT_NE(readme.find("\n" + plugins + "\n"), std::string::npos) << plugins;
  }
  const std::regex ruleRow("\n\\| `[A-Z-]+` \\|");
  for (const std::string* text : {&reference, &readme})
    EXPECT_EQ(std::distance(std::sregex_iterator(text->begin(), text->end(), ruleRow), std::sregex_iterator()),
              standin::kRuleCount);
}

}  // namespace

#include "trace/scenario_from_trace.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "scenario/argument_values.h"
#include "base/float_text.h"
#include "scenario/game_clock.h"
#include "base/game_text_hash.h"
#include "base/native_names.h"
#include "base/quoted_text.h"
#include "trace/replay_header.h"
#include "scenario/scenario.h"
#include "scenario/scenario_tokens.h"
#include "trace/trace.h"

namespace standin {

namespace {

// Frame rates a scenario is likely to have been written with, tried first:
// any rate that fits every wait plays the session alike.
constexpr std::uint32_t kLikelyFps[] = {60, 30, 120, 144, 50, 25, 24, 20, 15, 10};
// Expectation lines per native at most.
constexpr std::size_t kMostStretches = 8;
constexpr const char* kCallsCapStop = "plug-in made more than ";

std::string number(std::uint64_t value) { return value < 0x10000 ? std::to_string(value) : hex(value, 1); }

// A native as a scenario line names it: by its name, '-' for its spaces, or
// quoted when it holds more than letters, digits, spaces, '-' and '_'.
std::string nativeWord(std::uint64_t hash) {
  std::string name = nativeName(hash);
  if (name.empty()) return hex(hash, 16);
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ' && c != '-' && c != '_') return quoteText(name);
  std::replace(name.begin(), name.end(), ' ', '-');
  return name;
}

// One call's answer as a scenario writes it.
std::string answerWords(const HostEvent& call) {
  const std::uint64_t* r = call.results;
  std::string words;
  if (r[1] != 0 || r[2] != 0) {
    if ((r[0] | r[1] | r[2]) > 0xFFFFFFFFull)
      throw TraceError("native " + hex(call.hash, 16) + " answered three slots with upper halves, which no scenario answers",
                       call.traceLine);
    words = "vector " + floatText(r[0]) + " " + floatText(r[1]) + " " + floatText(r[2]);
  } else if (r[0] > 0xFFFFFFFFull) {
    words = "whole " + hex(r[0], 16);
  } else if (r[0] != 0) {
    const NativeSignature* signature = nativeSignature(call.hash);
    words = (signature && signature->result == ValueKind::Float ? "float " + floatText(r[0]) : "int " + number(r[0]));
  }
  // A bare value would read as the names file declares the variable: 32 bits
  // written through a wider one are told as a float, which writes 32 bits.
  const NativeSignature* declared = nativeSignature(call.hash);
  for (const auto& [index, value] : call.outWritten) {
    const bool wider = declaresSlot(declared, index, ValueKind::Out) && declared->slots[index] != ValueKind::Out;
    words += (words.empty() ? "" : " ") + ("out " + std::to_string(index) + " ") +
             (wider ? "float " + floatText(value) : number(value));
  }
  for (const auto& [index, slots] : call.outWrittenWide) {
    words += (words.empty() ? "" : " ") + ("out " + std::to_string(index));
    if (slots.size() == 1) words += " whole " + hex(slots[0], 16);
    else for (std::size_t i = 0; i < slots.size(); ++i) words += (i ? " " : " vector ") + floatText(slots[i]);
  }
  return words.empty() ? "zero" : words;
}

// What the stand-in answers when the scenario says nothing.
std::string unscriptedWords(const HostEvent& call) {
  const auto text = call.texts.find(0);
  if (call.hash != kTextHashNative || text == call.texts.end()) return "zero";
  HostEvent hashed;
  hashed.results[0] = gameTextHash(text->second.c_str());
  return answerWords(hashed);
}

// The calls of one native in one frame.
struct FrameCalls {
  std::vector<std::string> answers;
  bool unscripted = true;
  std::uint64_t count = 0;

  // The last answer repeats for further calls, so repeats at the end go.
  std::string sequence() const {
    std::size_t used = answers.size();
    while (used > 1 && answers[used - 1] == answers[used - 2]) --used;
    std::string text;
    for (std::size_t i = 0; i < used; ++i) text += (i ? " then " : "") + answers[i];
    return text;
  }
};

struct Recorded {
  std::uint64_t frames = 1;
  std::uint32_t fps = GameClock::kDefaultFps;
  std::map<std::uint64_t, std::map<std::uint64_t, FrameCalls>> calls;  // native, frame
  std::set<std::pair<std::uint64_t, unsigned>> texts, outs;
  std::vector<std::string> keys;
  std::vector<std::uint64_t> reloads;
  std::uint64_t busiestFrame = 0;
  std::uint64_t callsCap = 0;  // from a stop at the cap; 0: none
  bool misuse = false;
};

std::uint64_t framesPlayed(const std::vector<HostEvent>& events) {
  std::uint64_t last = 1;
  bool unloading = false;
  for (const HostEvent& event : events) {
    if (event.kind == EventKind::Load || event.kind == EventKind::Unload) unloading = event.kind == EventKind::Unload;
    // A session stopped as it played ends in the frame it stopped in; one
    // stopped as the plug-in was unloaded played the frames before.
    if (event.kind == EventKind::Stop) return unloading && event.frame > 1 ? event.frame - 1 : event.frame;
    last = std::max(last, event.frame);
  }
  // The unload lines carry the frame after the last one played.
  const bool unloaded = !events.empty() && std::any_of(events.begin(), events.end(), [](const HostEvent& e) {
    return e.kind == EventKind::Unload;
  });
  return unloaded && last > 1 ? last - 1 : last;
}

// Each wait, with where the script next ran: in that very frame, or not
// before the plug-in was unloaded.
struct Wake {
  std::uint64_t frame;
  std::uint32_t ms;
  std::uint64_t next;
  bool exact;
};

std::vector<Wake> wakes(const std::vector<HostEvent>& events) {
  std::vector<Wake> found;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].kind != EventKind::Wait || events[i].waitMs == 0) continue;
    for (std::size_t j = i + 1; j < events.size(); ++j) {
      const HostEvent& next = events[j];
      const bool fromScript = next.kind == EventKind::Wait ||
                              (next.kind == EventKind::Call && events[j - 1].kind != EventKind::Misuse);
      if (next.kind == EventKind::Stop) break;
      if (fromScript || next.kind == EventKind::Unload || next.kind == EventKind::Load) {
        found.push_back({events[i].frame, events[i].waitMs, next.frame, fromScript});
        break;
      }
    }
  }
  return found;
}

bool fits(std::uint32_t fps, const std::vector<Wake>& waits) {
  const GameClock clock(fps);
  for (const Wake& wait : waits) {
    const std::uint64_t wake = clock.wakeFrame(wait.frame, wait.ms);
    if (wait.exact ? wake != wait.next : wake < wait.next) return false;
  }
  return true;
}

std::uint32_t frameRate(const std::vector<HostEvent>& events) {
  const std::vector<Wake> waits = wakes(events);
  for (std::uint32_t fps : kLikelyFps)
    if (fits(fps, waits)) return fps;
  for (std::uint32_t fps = 1; fps <= GameClock::kLargestFps; ++fps)
    if (fits(fps, waits)) return fps;
  throw TraceError("its waits fit no frame rate from 1 to 1000 frames a second");
}

std::string keyWords(const HostEvent& key) {
  static const std::uint64_t usual[] = {1, 0, 0, 0, 0, 0};
  std::string words = "key " + std::to_string(key.frame) + " " + hex(key.args.at(0), 1);
  const bool released = key.args.at(5) == 1 && key.args.at(6) == 1;
  if (released) words += " up";
  for (unsigned i = 1; i <= 6; ++i) {
    if (released && i >= 5) continue;
    if (key.args.at(i) == usual[i - 1]) continue;
    words += " " + traceKeyField(key, i);
  }
  return words;
}

// Refuses what no session makes, so that the scenario written always reads
// and plays the session again.
void refuseImpossible(const std::vector<HostEvent>& events, const TraceHeader& header) {
  if (events.empty()) throw TraceError("the trace holds no event: a session's trace starts with the plug-in's load", 1);
  if (events.front().kind != EventKind::Load)
    throw TraceError(std::string("the trace starts with a '") + traceKindName(events.front().kind) +
                         "' line: a session's trace starts with the plug-in's load",
                     events.front().traceLine);
  // The plug-in's DllMain may call natives as it is unloaded: each such call
  // is judged outside the script, unless the session allowed that.
  const bool outsideAllowed =
      std::find(header.allowed.begin(), header.allowed.end(), ruleId(Rule::NativeOutsideScript)) != header.allowed.end();
  const std::string outsideMisuse = std::string(ruleId(Rule::NativeOutsideScript)) + ":";
  std::uint64_t frame = 1;
  bool loaded = false, unloaded = false, stopped = false, outsideSinceUnload = false;
  for (const HostEvent& event : events) {
    const auto refuse = [&](const std::string& why) { throw TraceError(why, event.traceLine); };
    if (event.frame < frame) refuse("frame " + std::to_string(event.frame) + " after frame " + std::to_string(frame) +
                                    ": a session's frames never go back");
    // The unload lines carry the frame after the last one played.
    if (event.frame > ScenarioCaps::kLargest + 1)
      refuse("frame " + std::to_string(event.frame) + " is beyond the most frames a session plays (" +
             std::to_string(ScenarioCaps::kLargest) + ")");
    frame = event.frame;
    const bool byTheScript = event.kind == EventKind::Call || event.kind == EventKind::Wait;
    if (stopped && (event.kind == EventKind::Key || event.kind == EventKind::Load || (byTheScript && !unloaded)))
      refuse(std::string(traceKindName(event.kind)) + " after the session stopped");
    if (unloaded && event.kind == EventKind::Wait) refuse("wait after the plug-in was unloaded");
    if (unloaded && event.kind == EventKind::Call && !outsideSinceUnload && !outsideAllowed)
      refuse("call after the plug-in was unloaded with no '" + outsideMisuse +
             "' misuse before it: only the plug-in's DllMain calls there, outside the script");
    if (event.kind == EventKind::Load && loaded && !unloaded) refuse("a second load with no unload before it");
    if (event.kind == EventKind::Load && loaded && frame < 2) refuse("a reload before frame 2, which no session makes");
    if (event.kind == EventKind::Call && event.args.size() > kMostPushes)
      refuse("a call with " + std::to_string(event.args.size()) + " arguments, more than a session records (" +
             std::to_string(kMostPushes) + ")");
    if (event.kind == EventKind::Load) loaded = true;
    if (event.kind == EventKind::Load || event.kind == EventKind::Unload) {
      unloaded = event.kind == EventKind::Unload;
      outsideSinceUnload = false;
    }
    if (event.kind == EventKind::Misuse && event.detail.rfind(outsideMisuse, 0) == 0) outsideSinceUnload = true;
    stopped = stopped || event.kind == EventKind::Stop;
  }
}

Recorded record(const std::vector<HostEvent>& events, std::uint32_t fps) {
  Recorded seen;
  seen.frames = framesPlayed(events);
  // A trace without a header was written before traces told their frame rate.
  seen.fps = fps != 0 ? fps : frameRate(events);
  bool loaded = false;
  std::map<std::uint64_t, std::uint64_t> callsInFrame;
  for (const HostEvent& event : events) {
    switch (event.kind) {
      case EventKind::Load:
        if (loaded) seen.reloads.push_back(event.frame);
        loaded = true;
        break;
      case EventKind::Key: seen.keys.push_back(keyWords(event)); break;
      case EventKind::Misuse: seen.misuse = true; break;
      case EventKind::Stop:
        // A session stopped by the cap on calls stops again only under the same cap.
        if (event.detail.rfind(kCallsCapStop, 0) == 0)
          seen.callsCap = std::strtoull(event.detail.c_str() + std::strlen(kCallsCapStop), nullptr, 10);
        if (seen.callsCap > ScenarioCaps::kLargest) throw TraceError("a cap on calls no scenario sets", event.traceLine);
        break;
      case EventKind::Call: {
        FrameCalls& frame = seen.calls[event.hash][event.frame];
        frame.answers.push_back(answerWords(event));
        frame.unscripted = frame.unscripted && frame.answers.back() == unscriptedWords(event);
        ++frame.count;
        seen.busiestFrame = std::max(seen.busiestFrame, ++callsInFrame[event.frame]);
        for (const auto& text : event.texts) seen.texts.insert({event.hash, text.first});
        for (unsigned index : event.outArgs) seen.outs.insert({event.hash, index});
        break;
      }
      default: break;
    }
  }
  return seen;
}

// The answers of one native: the sequence most frames had for every frame,
// and frame ranges for the rest.
void writeAnswers(std::ostream& out, std::uint64_t native, const std::map<std::uint64_t, FrameCalls>& frames) {
  std::map<std::string, std::size_t> usage;
  for (const auto& [frame, calls] : frames) usage[calls.unscripted ? "" : calls.sequence()] += 1;
  const auto common = std::max_element(usage.begin(), usage.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
  const std::string fallback = common->first;
  const std::string name = nativeWord(native);
  if (!fallback.empty()) out << "answer " << name << " " << fallback << "\n";
  auto writeRange = [&](std::uint64_t first, std::uint64_t last, const std::string& sequence) {
    out << "answer " << name << (first == last ? " frame " + std::to_string(first)
                                               : " frames " + std::to_string(first) + "-" + std::to_string(last))
        << " " << sequence << "\n";
  };
  std::uint64_t first = 0, last = 0;
  std::string current;
  for (const auto& [frame, calls] : frames) {
    const bool asFallback = calls.unscripted ? fallback.empty() : calls.sequence() == fallback;
    const std::string sequence = asFallback ? std::string() : calls.sequence();
    if (first != 0 && sequence == current) {
      last = frame;
      continue;
    }
    if (first != 0 && !current.empty()) writeRange(first, last, current);
    first = last = frame;
    current = sequence;
  }
  if (first != 0 && !current.empty()) writeRange(first, last, current);
}

// Per native, the calls in each stretch from one run of frames with calls to
// the next: every call of the session falls in one of them.
void writeExpectations(std::ostream& out, std::uint64_t native, const std::map<std::uint64_t, FrameCalls>& frames,
                       std::uint64_t lastFrame) {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> stretches;  // first frame, calls
  std::uint64_t previous = 0;
  for (const auto& [frame, calls] : frames) {
    const bool newRun = stretches.empty() || (frame != previous + 1 && frame <= lastFrame);
    if (newRun) stretches.push_back({stretches.empty() ? 1 : frame, 0});
    stretches.back().second += calls.count;
    previous = frame;
  }
  // A native called now and then over a long session would fill the file:
  // neighbouring stretches are counted together, every call still in one.
  if (stretches.size() > kMostStretches) {
    const std::size_t together = (stretches.size() + kMostStretches - 1) / kMostStretches;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> merged;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
      if (i % together == 0) merged.push_back({stretches[i].first, 0});
      merged.back().second += stretches[i].second;
    }
    stretches.swap(merged);
  }
  for (std::size_t i = 0; i < stretches.size(); ++i) {
    const std::uint64_t first = stretches[i].first;
    out << "expect calls " << nativeWord(native) << " " << stretches[i].second << " frames " << first << "-";
    if (i + 1 < stretches.size()) out << stretches[i + 1].first - 1;
    out << "\n";
  }
}

// One call as an ordered list names it: the native and its arguments, numbers
// without leading zeros, declared floats as decimals.
std::string callWords(const HostEvent& call) {
  std::string words = nativeWord(call.hash);
  for (unsigned a = 0; a < call.args.size(); ++a) {
    const bool asFloat = holdsFloat(call.hash, a) && call.args[a] <= 0xFFFFFFFFull && !call.texts.count(a) &&
                         !call.outArgs.count(a);
    words += " " + (asFloat ? floatText(call.args[a]) : shortSlot(traceArgument(call, a)));
  }
  return words;
}

// Every frame's calls in order; frames in a row that made the same share a
// line. Only frames with calls are held: a session may be long and quiet.
void writeSequences(std::ostream& out, const std::vector<HostEvent>& events, std::uint64_t frames) {
  std::map<std::uint64_t, std::string> calls;
  for (const HostEvent& event : events)
    if (event.kind == EventKind::Call && event.frame <= frames) {
      std::string& frame = calls[event.frame];
      frame += (frame.empty() ? "" : "; ") + callWords(event);
    }
  std::uint64_t first = 1, last = 0;
  std::string run;
  auto extend = [&](std::uint64_t from, std::uint64_t to, const std::string& text) {
    if (last != 0 && text == run) {
      last = to;
      return;
    }
    if (last != 0)
      out << "expect " << (first == last ? "frame " + std::to_string(first)
                                         : "frames " + std::to_string(first) + "-" + std::to_string(last))
          << " " << (run.empty() ? "nothing" : run) << "\n";
    first = from;
    last = to;
    run = text;
  };
  std::uint64_t next = 1;
  for (const auto& [frame, text] : calls) {
    if (frame > next) extend(next, frame - 1, "");
    extend(frame, frame, text);
    next = frame + 1;
  }
  if (next <= frames) extend(next, frames, "");
  extend(0, 0, "\n");  // writes the last run
}

// A names file that declares the argument says it already.
bool declaredAs(const std::pair<std::uint64_t, unsigned>& argument, ValueKind kind) {
  return declaresSlot(nativeSignature(argument.first), argument.second, kind);
}

bool known(const std::vector<std::pair<std::uint64_t, unsigned>>& list, const std::pair<std::uint64_t, unsigned>& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

std::string scenarioFromTrace(const std::vector<HostEvent>& events, const TraceHeader& header, bool countOnly,
                              const ReplayPaths& paths) {
  refuseImpossible(events, header);
  std::ostringstream out;
  out << "# Plays a recorded session again (standin.exe --scenario-from-trace).\n";
  // First: it loads the names files, whose declarations tell how answers are written.
  writeReplayHeader(out, header, paths);
  const Recorded seen = record(events, header.fps);
  const ScenarioCaps usual;
  out << "frames " << seen.frames << "\n";
  if (seen.fps != GameClock::kDefaultFps) out << "fps " << seen.fps << "\n";
  const std::uint64_t framesCap = std::max(header.framesCap != 0 ? header.framesCap : usual.frames, seen.frames);
  if (framesCap != usual.frames) out << "cap frames " << framesCap << "\n";
  const std::uint64_t callsCap =
      seen.callsCap != 0 ? seen.callsCap
                         : std::max(seen.busiestFrame, header.callsPerFrame != 0 ? header.callsPerFrame : usual.callsPerFrame);
  if (callsCap != usual.callsPerFrame) out << "cap calls-per-frame " << callsCap << "\n";
  // A session stopped as stuck stops again only after the same time.
  if (header.stallMs != 0 && header.stallMs != usual.stallMs) out << "cap stall-ms " << header.stallMs << "\n";
  // A session with no misuse replays strictly, so that a new one shows.
  if (header.strict || !seen.misuse) out << "strict\n";
  for (const auto& text : seen.texts)
    if (!known(knownTextArguments(), text) && !declaredAs(text, ValueKind::Text))
      out << "text-arg " << nativeWord(text.first) << " " << text.second << "\n";
  for (const auto& outArg : seen.outs)
    if (!known(knownOutArguments(), outArg) && !declaredAs(outArg, ValueKind::Out))
      out << "out-arg " << nativeWord(outArg.first) << " " << outArg.second << "\n";
  for (std::uint64_t frame : seen.reloads) out << "reload " << frame << "\n";
  for (const std::string& key : seen.keys) out << key << "\n";
  out << "\n# What the game answered.\n";
  for (const auto& [native, frames] : seen.calls) writeAnswers(out, native, frames);
  if (countOnly) {
    out << "\n# How often each native was called.\n";
    for (const auto& [native, frames] : seen.calls) writeExpectations(out, native, frames, seen.frames);
  } else {
    out << "\n# Every call of each frame, in order, with its arguments.\n";
    writeSequences(out, events, seen.frames);
  }
  writeReplayExpectations(out, header);
  // What is written must read; the checks above should see to it.
  std::istringstream written(out.str());
  try {
    parseScenario(written, paths.scenario.empty() ? "the scenario written" : paths.scenario);
  } catch (const ScenarioError& error) {
    throw TraceError(std::string("the trace holds what no session makes: ") + error.what());
  }
  return out.str();
}

std::string traceDifference(const std::string& a, const std::string& b, bool anyPluginName) {
  auto comparable = [&](std::string line) {
    const std::size_t load = line.find(" load \"");
    if (anyPluginName && load != std::string::npos && line.find_first_not_of("0123456789") == load)
      line.erase(load + 6);
    return line;
  };
  std::istringstream inA(a), inB(b);
  std::string lineA, lineB;
  for (std::size_t line = 1;; ++line) {
    const bool moreA = static_cast<bool>(std::getline(inA, lineA));
    const bool moreB = static_cast<bool>(std::getline(inB, lineB));
    if (!moreA && !moreB) return "";
    if (!moreA) lineA = "(end)";
    if (!moreB) lineB = "(end)";
    if (moreA != moreB || comparable(lineA) != comparable(lineB))
      return "line " + std::to_string(line) + ": " + lineA + " | " + lineB;
  }
}

}  // namespace standin

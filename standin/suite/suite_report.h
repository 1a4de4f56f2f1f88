// What a suite of scenarios came to: a line per scenario, the count, and
// JUnit XML for a CI server. Built for both hosts, so the tests reach it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// One scenario of a suite, as its session ended.
struct ScenarioResult {
  std::string name;       // the scenario's path as given, or its folder's and its own name
  std::string trace;      // where its trace went
  int code = 0;           // the session's exit code
  std::uint64_t frames = 0;
  bool framesKnown = false;  // the session printed its summary
  std::string metLine;    // "N expectations met", when it had any
  double seconds = 0;
  std::vector<std::string> messages;  // what it said on standard error, without "standin: "
};

// The exit code in words: "passed", "crashed", "expectations not met", ...
std::string verdictWords(int code);

// "NAME: passed (3 expectations met), 120 frames, 0.4 s", then for a
// failure what the session said and where its trace is, each indented.
std::vector<std::string> resultLines(const ScenarioResult& result);

// "N passed, M failed".
std::string suiteCountLine(const std::vector<ScenarioResult>& results);

// A JUnit document: one testsuite named `suite`, one testcase per scenario
// (classname: the scenario's folder), a failure with the verdict, what the
// session said and the trace's path.
std::string junitXml(const std::string& suite, const std::vector<ScenarioResult>& results);

// Text for an XML attribute or element, well-formed UTF-8: markup escaped,
// control bytes but tab and line feed dropped, as XML 1.0 allows none; a
// byte that is not part of UTF-8 text (a path in another code page, an
// exception's what() of any bytes) written \xNN, as the trace writes it.
std::string xmlText(const std::string& text);

}  // namespace standin

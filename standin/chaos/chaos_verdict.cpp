#include "chaos/chaos_verdict.h"

#include <cctype>
#include <sstream>

namespace standin::chaos {

namespace {

constexpr const char* kPrefix = "standin: ";

// The first line the stand-in wrote that is not a warning or the summary.
std::string mainMessage(const std::string& errorOutput) {
  std::istringstream lines(errorOutput);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(kPrefix, 0) != 0) continue;
    line.erase(0, std::string(kPrefix).size());
    if (line.rfind("warning:", 0) == 0 || line.find(" frames played, ") != std::string::npos) continue;
    return line;
  }
  return "";
}

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// The first "MODULE+0xOFFSET" after `from`.
std::string firstPlace(const std::string& message, std::size_t from = 0) {
  for (std::size_t plus = message.find("+0x", from); plus != std::string::npos; plus = message.find("+0x", plus + 1)) {
    std::size_t begin = plus;
    while (begin > 0 && message[begin - 1] != ' ' && message[begin - 1] != '(' && message[begin - 1] != '"') --begin;
    std::size_t end = plus + 3;
    while (end < message.size() && isHexDigit(message[end])) ++end;
    if (begin < plus && end > plus + 3) return message.substr(begin, end - begin);
  }
  return "";
}

// "... (strict) in frame 12: ARG-KIND: ..." gives ARG-KIND.
std::string ruleOf(const std::string& message) {
  const std::size_t strict = message.find("(strict) in frame ");
  if (strict == std::string::npos) return "";
  const std::size_t colon = message.find(": ", strict);
  if (colon == std::string::npos) return "";
  const std::size_t end = message.find(':', colon + 2);
  return message.substr(colon + 2, end == std::string::npos ? std::string::npos : end - colon - 2);
}

std::string placeOf(int code, const std::string& message) {
  switch (code) {
    case 5: {
      const std::size_t whilePart = message.rfind(" while ");
      return whilePart == std::string::npos ? "stuck" : message.substr(whilePart + 1);
    }
    case 6: {
      const std::string rule = ruleOf(message);
      if (!rule.empty()) return rule;
      if (message.find("native calls without waiting") != std::string::npos) return "calls-per-frame";
      return message.find("no script") != std::string::npos ? "no-script" : "misbehaved";
    }
    case 7:
    case 10: {
      const std::size_t at = message.find(" at ");
      const std::string place = firstPlace(message, at == std::string::npos ? 0 : at);
      if (!place.empty()) return place;
      const std::size_t open = message.find('('), close = message.find(')', open);
      return open == std::string::npos || close == std::string::npos ? "" : message.substr(open + 1, close - open - 1);
    }
    case 11: {
      const std::size_t value = message.find("exit value ");
      if (value == std::string::npos) return "";
      const std::size_t end = message.find(' ', value + 11);
      return message.substr(value + 11, end == std::string::npos ? std::string::npos : end - value - 11);
    }
    case 9: return "expectations";
    default: return "";
  }
}

std::uint64_t stopFrame(const std::string& traceTail) {
  std::istringstream lines(traceTail);
  std::string line;
  std::uint64_t frame = 0;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::uint64_t number = 0;
    std::string kind;
    if (words >> number >> kind && kind == "stop") frame = number;
  }
  return frame;
}

}  // namespace

std::string Verdict::word() const {
  switch (code) {
    case 5: return "stuck";
    case 6: return place.empty() ? "misbehaved" : place;
    case 7: return "crash";
    case 9: return "expectations";
    case 10: return "abort";
    case 11: return "exit";
    default: return "code-" + std::to_string(code);
  }
}

Verdict verdictOf(int code, const std::string& errorOutput, const std::string& traceTail) {
  Verdict verdict;
  verdict.code = code;
  if (code == 0) return verdict;
  verdict.message = mainMessage(errorOutput);
  verdict.place = placeOf(code, verdict.message);
  verdict.frame = stopFrame(traceTail);
  return verdict;
}

}  // namespace standin::chaos

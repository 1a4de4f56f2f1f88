#include "suite/suite_report.h"

#include <cstdio>
#include <cstdint>

#include "base/quoted_text.h"

namespace standin {

namespace {

std::string secondsText(double seconds, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, seconds);
  return text;
}

std::string folderOf(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? "." : name.substr(0, slash);
}

std::string framesText(const ScenarioResult& result) {
  return result.framesKnown ? std::to_string(result.frames) + " frames" : "no frames played";
}

double totalSeconds(const std::vector<ScenarioResult>& results) {
  double seconds = 0;
  for (const auto& result : results) seconds += result.seconds;
  return seconds;
}

std::size_t failedCount(const std::vector<ScenarioResult>& results) {
  std::size_t failed = 0;
  for (const auto& result : results) failed += result.code == 0 ? 0 : 1;
  return failed;
}

}  // namespace

std::string verdictWords(int code) {
  switch (code) {
    case 0: return "passed";
    case 2: return "did not read (scenario, names file or working folder)";
    case 4: return "plug-in not loaded";
    case 5: return "stuck";
    case 6: return "broke the session";
    case 7: return "crashed";
    case 8: return "trace not written";
    case 9: return "expectations not met";
    case 10: return "aborted";
    case 11: return "ended the process";
    default: return "failed with exit code " + std::to_string(code);
  }
}

std::vector<std::string> resultLines(const ScenarioResult& result) {
  const std::string timing = ", " + framesText(result) + ", " + secondsText(result.seconds, 1) + " s";
  if (result.code == 0)
    return {result.name + ": passed" + (result.metLine.empty() ? "" : " (" + result.metLine + ")") + timing};
  std::vector<std::string> lines{result.name + ": FAILED, " + verdictWords(result.code) + " (exit " +
                                 std::to_string(result.code) + ")" + timing};
  for (const auto& message : result.messages) lines.push_back("    " + message);
  lines.push_back("    trace: " + result.trace);
  return lines;
}

std::string suiteCountLine(const std::vector<ScenarioResult>& results) {
  const std::size_t failed = failedCount(results);
  return std::to_string(results.size() - failed) + " passed, " + std::to_string(failed) + " failed";
}

namespace {

// The length of the well-formed UTF-8 sequence at `at` of a character XML
// allows (no surrogate, no U+FFFE or U+FFFF, nothing past U+10FFFF, no
// overlong form); 0 when there is none.
std::size_t utf8Length(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  std::uint32_t code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  const bool allowed = code >= least[length] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) &&
                       code != 0xFFFE && code != 0xFFFF;
  return allowed ? length : 0;
}

}  // namespace

std::string xmlText(const std::string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        if (byte >= 0x20 && byte < 0x7F) {
          out += c;
        } else if (c == '\t' || c == '\n') {
          out += c;
        } else if (const std::size_t length = byte >= 0x80 ? utf8Length(text, at) : 0) {
          out.append(text, at, length);
          at += length - 1;
        } else if (byte >= 0x7F) {
          out += "\\x" + hex(byte, 2).substr(2);  // as the trace writes a byte that is no text
        }
    }
  }
  return out;
}

std::string junitXml(const std::string& suite, const std::vector<ScenarioResult>& results) {
  const std::string counts = " tests=\"" + std::to_string(results.size()) + "\" failures=\"" +
                             std::to_string(failedCount(results)) + "\" errors=\"0\" time=\"" +
                             secondsText(totalSeconds(results), 3) + "\"";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + counts + ">\n";
  xml += "  <testsuite name=\"" + xmlText(suite) + "\"" + counts + ">\n";
  for (const auto& result : results) {
    xml += "    <testcase name=\"" + xmlText(result.name) + "\" classname=\"" + xmlText(folderOf(result.name)) +
           "\" time=\"" + secondsText(result.seconds, 3) + "\"";
    if (result.code == 0) {
      xml += "/>\n";
      continue;
    }
    const std::string first = result.messages.empty() ? "" : ": " + result.messages.front();
    std::string body;
    for (const auto& message : result.messages) body += message + "\n";
    body += "trace: " + result.trace;
    xml += ">\n      <failure message=\"" + xmlText(verdictWords(result.code) + first) + "\" type=\"exit " +
           std::to_string(result.code) + "\">" + xmlText(body) + "</failure>\n    </testcase>\n";
  }
  return xml + "  </testsuite>\n</testsuites>\n";
}

}  // namespace standin

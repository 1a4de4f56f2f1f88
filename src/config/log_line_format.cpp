#include "config/log_line_format.h"

#include <cstring>

namespace {

// std::to_string, not a stream: a global locale with digit grouping must
// not reach the time stamp.
void appendNumber(std::string& line, int value, char after) {
  line += std::to_string(value);
  line += after;
}

}  // namespace

bool readLocalTime(std::tm& now) {
  const std::time_t seconds = std::time(nullptr);
  if (seconds == static_cast<std::time_t>(-1)) return false;
  // Only the script context logs, so the shared result of localtime is safe.
  const std::tm* local = std::localtime(&seconds);
  if (local == nullptr) return false;
  now = *local;
  return true;
}

std::string formatLogLine(const std::tm* localTime, const char* message) {
  std::tm stamp{};
  if (localTime != nullptr) {
    stamp = *localTime;
    stamp.tm_mon += 1;
    stamp.tm_year += 1900;
  }
  // Six numbers of up to 11 characters with what follows each, "[", " ", the
  // line feed: room for the message too at once, as it may be as long as a
  // line of the settings file.
  constexpr std::size_t kStampRoom = 6 * 12 + 3;
  std::string line;
  line.reserve(kStampRoom + (message != nullptr ? std::strlen(message) : 0));
  line += '[';
  appendNumber(line, stamp.tm_mday, '/');
  appendNumber(line, stamp.tm_mon, '/');
  appendNumber(line, stamp.tm_year, ' ');
  appendNumber(line, stamp.tm_hour, ':');
  appendNumber(line, stamp.tm_min, ':');
  appendNumber(line, stamp.tm_sec, ']');
  line += ' ';
  if (message != nullptr) line += message;
  line += '\n';
  return line;
}

#include "config/settings_loader.h"

#include <fstream>
#include <string_view>

#include "config/log_file.h"
#include "config/text_mode_line.h"

namespace {

constexpr char kCommentMarkers[] = "/;[\\";

// Some systems open a folder for reading and fail only at the first read; a
// first read that fails (as opposed to finding an empty file) means the file
// is as unreadable as one that does not open.
bool openForReading(std::ifstream& file, const char* fileName) {
  file.open(fileName, std::ios::in);
  if (!file.is_open()) return false;
  file.peek();
  return !file.bad();
}

void readSettingLines(std::ifstream& file) {
  std::string line;
  // A read error ends the loop as the end of the file does.
  while (std::getline(file, line)) {
    finishTextModeLine(line, !file.eof());
    applySettingLine(line);
  }
}

void reportUnparsedLine(const std::string& line) {
  constexpr std::string_view kBefore = "cannot parse line: ";
  constexpr std::string_view kAfter =
      ", please make sure it is assembled of the correct format (<setting_name>=<settings_value>).";
  // The log line holds the text up to a NUL, as every log line does. Sized
  // at once: the line may be as long as the file.
  const std::string_view shown(line.c_str());
  std::string message;
  message.reserve(kBefore.size() + shown.size() + kAfter.size());
  message.append(kBefore).append(shown).append(kAfter);
  logLine(std::move(message));
}

// The two pieces of `splitText(line, '=')` when it gives exactly two, found
// without making any: a line of millions of "=" would otherwise build
// millions of pieces only to count them.
bool cutIntoSetting(std::string_view line, std::string_view& name, std::string_view& text) {
  const std::size_t cut = line.find('=');
  // Nothing after the first "=": it gives no second piece.
  if (cut == std::string_view::npos || cut + 1 == line.size()) return false;
  const std::string_view rest = line.substr(cut + 1);
  // A second "=" gives a third piece unless it is the last byte.
  const std::size_t next = rest.find('=');
  if (next != std::string_view::npos && next + 1 != rest.size()) return false;
  name = line.substr(0, cut);
  text = rest.substr(0, next);
  return true;
}

}  // namespace

void loadSettings(const char* fileName, const SettingsMap& defaults) {
  publishSettingsStore(defaults);
  std::ifstream file;
  if (fileName == nullptr || !openForReading(file, fileName)) {
    logLine("Unable to load from data file, please make sure it exists.");
    return;
  }
  logLine(std::string("loading settings file: ") + fileName);
  readSettingLines(file);
  file.close();
  logLine("settings file loaded");
}

void applySettingLine(const std::string& line) {
  if (line.empty()) return;
  if (std::string_view(kCommentMarkers).find(line.front()) != std::string_view::npos) return;
  std::string_view name, text;
  if (cutIntoSetting(line, name, text)) {
    setSetting(std::string(name), std::string(text));
    return;
  }
  reportUnparsedLine(line);
}

std::vector<std::string> splitText(const std::string& text, char delimiter) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(delimiter, start);
    if (end == std::string::npos) {
      pieces.push_back(text.substr(start));
      break;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

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
  // The log line holds the text up to a NUL, as every log line does.
  logLine(std::string("cannot parse line: ") + line.c_str() +
          ", please make sure it is assembled of the correct format "
          "(<setting_name>=<settings_value>).");
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
  std::vector<std::string> pieces = splitText(line, '=');
  if (pieces.size() == 2) {
    setSetting(std::move(pieces[0]), std::move(pieces[1]));
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

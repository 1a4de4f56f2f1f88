// Whole settings files into the loader. A model of the file format, written
// here apart from the loader, says which lines are ignored, stored or
// reported; the store and the log must match it, and the defaults' names
// must always be in the store. The file lives in memory, and so does the log.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/log_sink.h"
#include "config/settings_loader.h"
#include "config/settings_store.h"
#include "fuzz_check.h"

namespace {

// One entry per logLine call, whatever bytes it holds.
class MemoryLogSink final : public LogSink {
 public:
  bool open(const char*) override {
    entries.emplace_back();
    return true;
  }
  void write(const char* bytes, std::size_t count) override { entries.back().append(bytes, count); }
  void close() override {}

  std::vector<std::string> entries;
};

// An in-memory file with a path the loader can open by name.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("Vantomere.ini", 0)), path_("/proc/self/fd/" + std::to_string(fd_)) {
    check(fd_ >= 0, "no memory file");
  }
  void fill(const std::uint8_t* data, std::size_t size) {
    check(ftruncate(fd_, 0) == 0, "cannot empty the memory file");
    check(size == 0 || pwrite(fd_, data, size, 0) == static_cast<ssize_t>(size), "cannot fill the memory file");
  }
  const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

struct ModelOutcome {
  SettingsMap store{{"AlternativeCamera", "1"}, {"MeleeWeaponsGore", "1"}, {"CameraShakeOnShot", "1"}};
  std::vector<std::string> reported;  // each line as the log shows it: up to its first NUL
};

bool isCommentMarker(char c) { return c == '/' || c == ';' || c == '[' || c == '\\'; }

// One line: "name=text" with exactly one "=", or "name=text=" whose second
// "=" ends it, is stored; every other line that is not empty or a comment
// is reported.
void modelLine(const std::string& line, ModelOutcome& model) {
  if (line.empty() || isCommentMarker(line[0])) return;
  const auto equals = std::count(line.begin(), line.end(), '=');
  const std::size_t first = line.find('=');
  if (equals == 1 && line.back() != '=') {
    model.store[line.substr(0, first)] = line.substr(first + 1);
  } else if (equals == 2 && line.back() == '=') {
    model.store[line.substr(0, first)] = line.substr(first + 1, line.size() - first - 2);
  } else {
    model.reported.push_back(line.substr(0, line.find('\0')));
  }
}

// Lines end at line feeds; a carriage return just before one is dropped, as
// text mode drops it; a last line without a line feed counts like any other.
ModelOutcome modelFile(const std::string& file) {
  ModelOutcome model;
  std::size_t start = 0;
  for (std::size_t end; (end = file.find('\n', start)) != std::string::npos; start = end + 1) {
    const bool crBefore = end > start && file[end - 1] == '\r';
    modelLine(file.substr(start, end - start - (crBefore ? 1 : 0)), model);
  }
  if (start < file.size()) modelLine(file.substr(start), model);
  return model;
}

// The message of a log entry: after the time stamp's "] ", without the line feed.
std::string messageOf(const std::string& entry) {
  const std::size_t stampEnd = entry.find("] ");
  check(stampEnd != std::string::npos && !entry.empty() && entry.back() == '\n', "log entry without its shape");
  return entry.substr(stampEnd + 2, entry.size() - stampEnd - 3);
}

std::string reportOf(const std::string& line) {
  return "cannot parse line: " + line +
         ", please make sure it is assembled of the correct format (<setting_name>=<settings_value>).";
}

bool isReport(const std::string& message) { return message.rfind("cannot parse line: ", 0) == 0; }

void checkLog(const std::vector<std::string>& entries, const ModelOutcome& model, const std::string& path) {
  std::vector<std::string> messages;
  for (const auto& entry : entries) messages.push_back(messageOf(entry));
  check(std::count_if(messages.begin(), messages.end(), isReport) ==
            static_cast<std::ptrdiff_t>(model.reported.size()),
        "as many 'cannot parse line' entries as reported lines");
  std::vector<std::string> expected{"loading settings file: " + path};
  for (const auto& line : model.reported) expected.push_back(reportOf(line));
  expected.push_back("settings file loaded");
  check(messages == expected, "the log: start line, one line per reported line in file order, end line");
}

void checkStore(const ModelOutcome& model) {
  const SettingsMap& store = settingsStore();
  for (const char* name : {kAlternativeCameraSwitch, kMeleeWeaponsGoreSwitch, kCameraShakeOnShotSwitch})
    check(store.count(name) == 1, std::string("the store lacks ") + name);
  check(store == model.store, "the store holds what the stored lines set over the defaults");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
  static MemoryLogSink log;
  useLogSink(&log);
  log.entries.clear();
  file.fill(data, size);

  loadSettings(file.path().c_str(), makeDefaultSettings());

  const ModelOutcome model = modelFile(std::string(reinterpret_cast<const char*>(data), size));
  checkStore(model);
  checkLog(log.entries, model, file.path());
  return 0;
}

#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/log_sink.h"

// Runs a test inside a fresh empty folder of its own, as the game's working
// folder; the previous working folder is restored and the folder removed
// afterwards. Tests run in parallel processes, so each gets its own name.
class ScopedWorkingFolder {
 public:
  ScopedWorkingFolder() : previous_(std::filesystem::current_path()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vantomere-test-XXXXXX").string();
    folder_ = mkdtempPath(pattern);
    std::filesystem::current_path(folder_);
  }
  ~ScopedWorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(folder_, ignored);
  }
  ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
  ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

 private:
  static std::filesystem::path mkdtempPath(std::string& pattern);
  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The message of each logged line: the text after the time stamp's "] ",
// without the line feed.
std::vector<std::string> messagesOfLogText(const std::string& text);

// Stands in for the log file and keeps every line written through it.
class RecordingLogSink : public LogSink {
 public:
  RecordingLogSink() { useLogSink(this); }
  ~RecordingLogSink() override { useLogSink(nullptr); }
  RecordingLogSink(const RecordingLogSink&) = delete;
  RecordingLogSink& operator=(const RecordingLogSink&) = delete;

  bool open(const char* path) override {
    openedPaths.push_back(path);
    return true;
  }
  void write(const char* bytes, std::size_t count) override { text.append(bytes, count); }
  void close() override { ++closes; }

  std::vector<std::string> messages() const { return messagesOfLogText(text); }

  std::string text;
  std::vector<std::string> openedPaths;
  int closes = 0;
};

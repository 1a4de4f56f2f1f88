#include "config/log_file.h"

#include "config/log_line_format.h"
#include "config/log_sink.h"

namespace {

// Closes the sink however the write ended; a close that fails or throws
// only loses this line.
class CloseOnExit {
 public:
  explicit CloseOnExit(LogSink& sink) : sink_(sink) {}
  CloseOnExit(const CloseOnExit&) = delete;
  CloseOnExit& operator=(const CloseOnExit&) = delete;
  ~CloseOnExit() {
    try {
      sink_.close();
    } catch (...) {
    }
  }

 private:
  LogSink& sink_;
};

void appendLine(const char* message) {
  std::tm now{};
  const bool haveTime = readLocalTime(now);
  const std::string line = formatLogLine(haveTime ? &now : nullptr, message);
  LogSink& sink = activeLogSink();
  if (!sink.open(kLogFilePath)) return;
  CloseOnExit closer(sink);
  sink.write(line.data(), line.size());
}

}  // namespace

void logLine(const char* message) noexcept {
  try {
    appendLine(message);
  } catch (...) {
    // The log is the last place a failure could be reported; it is dropped.
  }
}

void logLine(std::string message) noexcept { logLine(message.c_str()); }

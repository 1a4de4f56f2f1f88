#include "config/log_sink.h"

#include <fstream>

namespace {

// One stream for the life of the library, closed between lines. Its
// exception mask stays empty: failures only set its state bits, and the next
// successful open clears them.
class FileLogSink final : public LogSink {
 public:
  bool open(const char* path) override {
    try {
      stream_.open(path, std::ios::out | std::ios::app);
    } catch (...) {
      // Out of memory for its buffer, the stream is left with the file open
      // and would refuse the next line's open; closed here, it starts afresh.
      stream_.close();
      throw;
    }
    return stream_.is_open();
  }
  void write(const char* bytes, std::size_t count) override {
    stream_.write(bytes, static_cast<std::streamsize>(count));
  }
  void close() override { stream_.close(); }

 private:
  std::ofstream stream_;
};

FileLogSink logFile;
LogSink* replacement = nullptr;

}  // namespace

LogSink& activeLogSink() { return replacement ? *replacement : logFile; }

void useLogSink(LogSink* sink) { replacement = sink; }

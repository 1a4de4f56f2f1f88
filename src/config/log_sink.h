#pragma once

#include <cstddef>

// The file behind the log. The plug-in appends to a real file; another sink
// can stand in for it, so the handling of files that fail to open, to take a
// write or to close can be exercised without a broken disk.
class LogSink {
 public:
  virtual ~LogSink() = default;
  // Opens `path` for appending in text mode; false when it cannot be opened.
  virtual bool open(const char* path) = 0;
  virtual void write(const char* bytes, std::size_t count) = 0;
  virtual void close() = 0;
};

// The sink logLine writes through: the log file unless another was put in place.
LogSink& activeLogSink();

// Puts `sink` in place of the log file; null puts the log file back. The
// sink must outlive its use.
void useLogSink(LogSink* sink);

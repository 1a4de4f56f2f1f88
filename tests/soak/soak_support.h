#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "config/log_sink.h"

// The process's resident memory, from the kernel's own count of its pages.
inline std::uint64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t sizePages = 0, residentPages = 0;
  statm >> sizePages >> residentPages;
  return residentPages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// A count from the environment, or `fallback` when it is not set or not a number.
inline std::uint64_t countFromEnvironment(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  return *end == '\0' && value > 0 ? value : fallback;
}

// Counts the log's lines and keeps none of them, so a long session's log
// costs no memory.
class CountingLogSink : public LogSink {
 public:
  CountingLogSink() { useLogSink(this); }
  ~CountingLogSink() override { useLogSink(nullptr); }
  CountingLogSink(const CountingLogSink&) = delete;
  CountingLogSink& operator=(const CountingLogSink&) = delete;

  bool open(const char*) override { return true; }
  void write(const char*, std::size_t) override { ++lines; }
  void close() override {}

  std::uint64_t lines = 0;
};

#pragma once

// A sweep over the positive floats of a range of bit patterns, on every
// core, for the searches and checks that must try every float angle.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

struct FloatRange {
  std::uint32_t first;
  std::uint32_t last;
};

inline float floatOfBits(std::uint32_t bits) {
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// FIRST LAST from the command line, in hex; every finite positive float
// without them.
inline FloatRange floatRangeOf(int argc, char** argv) {
  FloatRange range{0x00000000u, 0x7F7FFFFFu};
  if (argc == 3) {
    range.first = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 16));
    range.last = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 16));
  }
  if ((argc != 1 && argc != 3) || range.first > range.last || range.last > 0x7F7FFFFFu) {
    std::fprintf(stderr, "usage: %s [FIRST LAST]  (positive float bit patterns in hex)\n", argv[0]);
    std::exit(2);
  }
  return range;
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One Worker per core, made by make(), visits its share of the range in
// chunks (worker.visit(bits)); the workers come back to be merged. Progress
// goes to stderr every 30 seconds.
template <typename Worker, typename MakeWorker>
std::vector<Worker> sweepFloats(FloatRange range, MakeWorker make) {
  constexpr std::uint64_t kChunk = 1u << 16;
  const std::uint64_t total = std::uint64_t{range.last} - range.first + 1;
  std::atomic<std::uint64_t> next{0}, done{0};
  std::vector<Worker> workers;
  for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i) workers.push_back(make());
  std::vector<std::thread> threads;
  const auto start = std::chrono::steady_clock::now();
  for (Worker& worker : workers) {
    threads.emplace_back([&range, &next, &done, &worker, total] {
      for (std::uint64_t from; (from = next.fetch_add(kChunk)) < total;) {
        const std::uint64_t to = std::min(total, from + kChunk);
        for (std::uint64_t i = from; i < to; ++i) worker.visit(static_cast<std::uint32_t>(range.first + i));
        done += to - from;
      }
    });
  }
  double lastPrint = 0.0;
  while (done < total) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (secondsSince(start) - lastPrint < 30.0 || done >= total) continue;
    lastPrint = secondsSince(start);
    const double fraction = static_cast<double>(done) / static_cast<double>(total);
    std::fprintf(stderr, "%.2f%% of %" PRIu64 " floats, %.0f s, about %.0f s to go\n", 100.0 * fraction, total,
                 lastPrint, fraction > 0.0 ? lastPrint * (1.0 - fraction) / fraction : 0.0);
  }
  for (std::thread& thread : threads) thread.join();
  return workers;
}

// Checks sineCosineOfDegrees, each form of its quick road (the fused one
// where the processor has it) and its accurate road forced on, against sine
// and cosine rounded to the nearest double, for every positive float in a
// range of bit patterns and its negative, on every core:
//
//   angle_exhaustive_check [FIRST LAST] [--mpfr-only]
//
// FIRST and LAST are bit patterns in hex (default: every finite float);
// --mpfr-only leaves out the long double prefilter, to check it on a range.
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "trigonometry/angle_reduction.h"
#include "trigonometry/fused_multiply_add.h"
#include "trigonometry/roads_of_degrees.h"
#include "trigonometry/sine_cosine_fused.h"
#include "trigonometry/sine_cosine_near.h"
#include "rounded_reference.h"

namespace {

constexpr std::uint32_t kChunk = 1u << 16;

enum Road { kPublic, kSplit, kFused, kAccurate, kRoads };
const char* const kRoadNames[kRoads] = {"sineCosineOfDegrees", "split quick road forced on", "fused quick road forced on",
                                        "accurate road forced on"};
SineCosine (*const kRoadFunctions[kRoads])(float) = {sineCosineOfDegrees, splitSineCosineOfDegrees,
                                                     fusedSineCosineOfDegrees, accurateSineCosineOfDegrees};

struct Tally {
  std::uint64_t checked = 0;
  std::uint64_t wrongSines[kRoads] = {};
  std::uint64_t wrongCosines[kRoads] = {};
  std::uint64_t accurateDeclines = 0;  // left to the wide road
  std::uint64_t mpfrCalls = 0;

  void add(const Tally& other) {
    checked += other.checked;
    for (int road = 0; road < kRoads; ++road) {
      wrongSines[road] += other.wrongSines[road];
      wrongCosines[road] += other.wrongCosines[road];
    }
    accurateDeclines += other.accurateDeclines;
    mpfrCalls += other.mpfrCalls;
  }
};

struct Options {
  std::uint32_t first = 0x00000000;
  std::uint32_t last = 0x7F7FFFFF;
  bool mpfrOnly = false;
};

std::mutex printing;

float floatOf(std::uint32_t bits) {
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Whether the accurate road vouches for its own answer, as the public function asks it to.
bool accurateRoadVouches(double magnitude) {
  SineCosine near{};
  return accurateSineCosineNear(reduceAccurately(magnitude).remainder, near);
}

class Checker {
 public:
  explicit Checker(bool mpfrOnly) : mpfrOnly_(mpfrOnly) {}

  void check(std::uint32_t bits) {
    const float degrees = floatOf(bits);
    expected_ = {static_cast<double>(degrees) * kRadiansPerDegree, 0.0, 0.0, mpfrOnly_};
    if (mpfrOnly_) reference_.exactlyOf(expected_.x, expected_.sine, expected_.cosine);
    else reference_.of(expected_.x, expected_.sine, expected_.cosine);
    for (const float signedDegrees : {degrees, -degrees}) {
      for (int road = 0; road < kRoads; ++road) {
        if (road == kFused && !fused_) continue;
        compare(static_cast<Road>(road), kRoadFunctions[road](signedDegrees), std::signbit(signedDegrees));
      }
    }
    if (!accurateRoadVouches(std::fabs(expected_.x))) ++tally_.accurateDeclines;
    ++tally_.checked;
  }

  Tally tally() {
    tally_.mpfrCalls = reference_.mpfrCalls();
    return tally_;
  }

 private:
  // For x = degrees * k >= 0; the negative angle's sine is the negative.
  struct Expected {
    double x, sine, cosine;
    bool exact;
  };

  bool matches(SineCosine got, bool negative) const {
    return sameBits(got.sine, negative ? -expected_.sine : expected_.sine) && sameBits(got.cosine, expected_.cosine);
  }

  // A disagreement with the prefilter's value is settled by MPFR before it counts.
  void compare(Road road, SineCosine got, bool negative) {
    if (matches(got, negative)) return;
    if (!expected_.exact) {
      double sine = 0.0, cosine = 0.0;
      reference_.exactlyOf(expected_.x, sine, cosine);
      if (!sameBits(sine, expected_.sine) || !sameBits(cosine, expected_.cosine)) {
        std::lock_guard<std::mutex> lock(printing);
        std::fprintf(stderr, "prefilter wrong at x = %a\n", expected_.x);
      }
      expected_ = {expected_.x, sine, cosine, true};
      if (matches(got, negative)) return;
    }
    const double sine = negative ? -expected_.sine : expected_.sine;
    const bool wrongSine = !sameBits(got.sine, sine), wrongCosine = !sameBits(got.cosine, expected_.cosine);
    tally_.wrongSines[road] += wrongSine ? 1 : 0;
    tally_.wrongCosines[road] += wrongCosine ? 1 : 0;
    if (tally_.wrongSines[road] + tally_.wrongCosines[road] <= 5) {
      std::lock_guard<std::mutex> lock(printing);
      std::fprintf(stderr, "%s wrong at x = %a: %a %a, nearest %a %a\n", kRoadNames[road], negative ? -expected_.x : expected_.x,
                   got.sine, got.cosine, sine, expected_.cosine);
    }
  }

  RoundedReference reference_;
  Expected expected_{};
  Tally tally_;
  bool mpfrOnly_;
  bool fused_ = processorFusesMultiplyAdd();
};

Options parse(int argc, char** argv) {
  Options options;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--mpfr-only") == 0) options.mpfrOnly = true;
    else positional.push_back(argv[i]);
  }
  if (positional.size() == 2) {
    options.first = static_cast<std::uint32_t>(std::strtoul(positional[0].c_str(), nullptr, 16));
    options.last = static_cast<std::uint32_t>(std::strtoul(positional[1].c_str(), nullptr, 16));
  } else if (!positional.empty() || options.first > options.last || options.last > 0x7F7FFFFFu) {
    std::fprintf(stderr, "usage: %s [FIRST LAST] [--mpfr-only]  (positive float bit patterns in hex)\n", argv[0]);
    std::exit(2);
  }
  return options;
}

void printTally(const Tally& tally, double seconds) {
  std::printf("floats checked: %" PRIu64 " (each with both signs), %.0f s, MPFR calls: %" PRIu64 "\n",
              tally.checked, seconds, tally.mpfrCalls);
  if (!processorFusesMultiplyAdd()) std::printf("no fused multiply-add here: the fused road is not checked\n");
  for (int road = 0; road < kRoads; ++road)
    std::printf("%s: %" PRIu64 " wrong sines, %" PRIu64 " wrong cosines\n", kRoadNames[road],
                tally.wrongSines[road], tally.wrongCosines[road]);
  std::printf("accurate road left to the wide road: %" PRIu64 "\n", tally.accurateDeclines);
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parse(argc, argv);
  const std::uint64_t total = std::uint64_t{options.last} - options.first + 1;
  std::atomic<std::uint64_t> next{0}, done{0};
  std::vector<Tally> tallies(std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::thread> workers;
  const auto start = std::chrono::steady_clock::now();
  for (Tally& tally : tallies) {
    workers.emplace_back([&options, &next, &done, &tally, total] {
      Checker checker(options.mpfrOnly);
      for (std::uint64_t from; (from = next.fetch_add(kChunk)) < total;) {
        const std::uint64_t to = std::min(total, from + kChunk);
        for (std::uint64_t i = from; i < to; ++i) checker.check(static_cast<std::uint32_t>(options.first + i));
        done += to - from;
      }
      tally = checker.tally();
    });
  }
  const auto elapsed = [&start] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  double lastPrint = 0.0;
  while (done < total) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (elapsed() - lastPrint < 30.0 && done < total) continue;
    lastPrint = elapsed();
    const double fraction = static_cast<double>(done) / static_cast<double>(total);
    std::fprintf(stderr, "%.2f%% of %" PRIu64 " floats, %.0f s, about %.0f s to go\n", 100.0 * fraction, total,
                 lastPrint, fraction > 0.0 ? lastPrint * (1.0 - fraction) / fraction : 0.0);
  }
  for (std::thread& worker : workers) worker.join();
  Tally all;
  for (const Tally& tally : tallies) all.add(tally);
  printTally(all, elapsed());
  std::uint64_t wrongResults = 0;
  for (int road = 0; road < kRoads; ++road) wrongResults += all.wrongSines[road] + all.wrongCosines[road];
  const bool wrong = wrongResults != 0;
  return wrong ? 1 : 0;
}

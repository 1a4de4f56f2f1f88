// The chaos run's own random numbers: xoshiro256** seeded by splitmix64, so
// that a seed gives the same sessions with any compiler and standard library
// (the standard distributions differ between them).
#pragma once

#include <cstdint>

namespace standin::chaos {

class ChaosRandom {
 public:
  // Session `index` of the run with `seed`: a stream of its own, whatever
  // sessions came before it.
  ChaosRandom(std::uint64_t seed, std::uint64_t index) {
    std::uint64_t mix = seed ^ (index * 0xD1B54A32D192ED03u);
    for (std::uint64_t& word : state_) word = splitmix(mix);
  }

  std::uint64_t next() {
    const std::uint64_t result = rotate(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotate(state_[3], 45);
    return result;
  }

  // 0 to n - 1, each as likely (n at least 1).
  std::uint64_t below(std::uint64_t n) {
    const std::uint64_t limit = ~std::uint64_t{0} - (~std::uint64_t{0} % n);
    for (;;) {
      const std::uint64_t value = next();
      if (value < limit) return value % n;
    }
  }
  // lo to hi, both included.
  std::int64_t between(std::int64_t lo, std::int64_t hi) {
    return lo + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(hi - lo) + 1));
  }
  bool chance(unsigned perThousand) { return below(1000) < perThousand; }

 private:
  static std::uint64_t rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  static std::uint64_t splitmix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }

  std::uint64_t state_[4];
};

}  // namespace standin::chaos

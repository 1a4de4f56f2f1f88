#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/standin_host.h"

// Every test starts with a fresh stand-in: no answers, no recorded calls, frame 1.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { host().reset(); }
  static standin::StandinHost& host() { return standin::StandinHost::instance(); }

  static std::vector<std::uint64_t> callHashes() {
    std::vector<std::uint64_t> hashes;
    for (const auto& call : host().calls()) hashes.push_back(call.hash);
    return hashes;
  }
  static std::vector<std::uint32_t> waits() {
    std::vector<std::uint32_t> result;
    for (const auto& event : host().events())
      if (event.kind == standin::EventKind::Wait) result.push_back(event.waitMs);
    return result;
  }
};

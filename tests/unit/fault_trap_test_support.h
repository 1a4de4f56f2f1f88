#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config_test_support.h"
#include "host_test_support.h"

inline constexpr std::uint64_t kMakeNoticeText = 0xFA925AC00EB830B9;
inline constexpr std::uint64_t kSetNoticeText = 0xFA233F8FE190514C;
inline constexpr std::uint64_t kPrepareNotice = 0xE9990552DEC71600;
inline constexpr std::uint64_t kShowNotice = 0xDFF0D417277B41F8;
inline constexpr std::uint64_t kGameTextValue = 0xDEADBEEF00C0FFEEull;

inline std::string faultMessage(const std::string& description) {
  return "Fatal: " + description + ", check the logs for more info.";
}

// The stand-in host and a recorded log; the first notice native answers a
// game text value that the second must get back unchanged.
class FaultTrapTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host().answers().setDefault(kMakeNoticeText, standin::Answer::ofWhole(kGameTextValue));
  }

  // The four notice natives of `frame`, checked call by call, with the text shown.
  static void expectNotice(std::uint64_t frame, const std::string& text) {
    std::vector<standin::HostEvent> notice;
    for (const auto& call : host().calls())
      if (call.frame == frame && (call.hash == kMakeNoticeText || call.hash == kSetNoticeText ||
                                  call.hash == kPrepareNotice || call.hash == kShowNotice))
        notice.push_back(call);
    ASSERT_EQ(notice.size(), 4u) << "frame " << frame;
    EXPECT_EQ(notice[0].hash, kMakeNoticeText);
    ASSERT_EQ(notice[0].args.size(), 3u);
    EXPECT_EQ(notice[0].args[0], 10u);
    EXPECT_EQ(notice[0].texts[1], "LITERAL_STRING");
    EXPECT_EQ(notice[0].texts[2], text);
    EXPECT_EQ(notice[1].hash, kSetNoticeText);
    EXPECT_EQ(notice[1].args, std::vector<std::uint64_t>{kGameTextValue});
    EXPECT_EQ(notice[2].hash, kPrepareNotice);
    EXPECT_TRUE(notice[2].args.empty());
    EXPECT_EQ(notice[3].hash, kShowNotice);
    EXPECT_TRUE(notice[3].args.empty());
  }

  RecordingLogSink log_;
};

// The three combat tweaks of the real plug-in under Wine: the calls, their
// arguments bit for bit, and the waits, frame by frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../unit/feature_natives.h"
#include "../unit/offset_direction_reference.h"
#include "e2e_support.h"
#include "base/game_text_hash.h"

namespace {

using standin::EventKind;

constexpr std::uint64_t kPlayer = 0xFFFFEDCCu;  // a negative handle: no sign extension may show
constexpr std::uint64_t kTarget = 0xFFFFFFB3u;

// One expected event: a call with its slots (0 for texts and out-variables),
// its texts and what the host wrote through its out-variables; or a wait.
struct Expected {
  EventKind kind = EventKind::Call;
  std::uint64_t hash = 0;
  std::vector<std::uint64_t> args;
  std::map<unsigned, std::string> texts;
  std::map<unsigned, std::uint32_t> written;
  std::uint32_t waitMs = 0;
};

Expected call(std::uint64_t hash, std::vector<std::uint64_t> args = {},
              std::map<unsigned, std::string> texts = {}) {
  return {EventKind::Call, hash, std::move(args), std::move(texts), {}, 0};
}
Expected weaponQuery(std::uint32_t answered) {
  Expected e = call(native::kWeapon, {kPlayer, 0, 0, 0, 0});
  e.written[1] = answered;
  return e;
}
Expected wait(std::uint32_t ms) { return {EventKind::Wait, 0, {}, {}, {}, ms}; }

std::string describe(const standin::HostEvent& event) {
  std::ostringstream out;
  out << std::hex;
  if (event.kind == EventKind::Wait) {
    out << "wait " << std::dec << event.waitMs;
  } else {
    out << "call 0x" << event.hash;
    for (std::uint64_t arg : event.args) out << " 0x" << arg;
  }
  return out.str();
}

void expectFrame(const e2e::Session& session, std::uint64_t frame, const std::vector<Expected>& expected) {
  const auto events = session.frame(frame);
  std::string seen;
  for (const auto& event : events) seen += "\n  " + describe(event);
  ASSERT_EQ(events.size(), expected.size()) << "frame " << frame << ":" << seen;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const auto& got = events[i];
    const auto& want = expected[i];
    const std::string where = "frame " + std::to_string(frame) + " event " + std::to_string(i) + ":" + seen;
    ASSERT_EQ(got.kind, want.kind) << where;
    if (want.kind == EventKind::Wait) {
      EXPECT_EQ(got.waitMs, want.waitMs) << where;
      continue;
    }
    EXPECT_EQ(got.hash, want.hash) << where;
    EXPECT_EQ(got.args, want.args) << where;
    EXPECT_EQ(got.texts, want.texts) << where;
    EXPECT_EQ(got.outWritten, want.written) << where;
  }
}

std::uint64_t bitsOf(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::map<std::string, std::string> onlySwitchOn(const std::string& name) {
  std::string ini = "[Settings]\n";
  for (const char* key : {"AlternativeCamera", "MeleeWeaponsGore", "CameraShakeOnShot"})
    ini += std::string(key) + "=" + (name == key ? "1" : "0") + "\n";
  return {{"Vantomere.ini", ini}, {"Harlowick/", ""}};
}

// Frame 31 also holds the start-up (e2e::kStartUpFrame); the features are
// checked from frame 32 on.
const char kCommonAnswers[] = "answer 0x096275889B8E0EE0 int 0xFFFFEDCC\n";

TEST(FeaturesEndToEnd, AimCameraAppliedAndSwitchedByTheControls) {
  const e2e::Session session = e2e::play(std::string(kCommonAnswers) +
                                         "frames 35\n"
                                         "answer 0x936F967D4BE1CE9D int 1\n"
                                         "answer 0x3A87E44BB9A01D54 out 1 0x11111111 then out 1 0x22222222\n"
                                         "answer 0x959383DCD42040DA int 0\n"
                                         "answer 0x01FEE67DB37F59B2 int 1\n"
                                         "answer 0xA571D46727E2B718 int 0\n"
                                         "answer 0xA571D46727E2B718 frames 34 int 1\n"
                                         "answer 0x50F940259D3841E6 int 0\n"
                                         "answer 0x50F940259D3841E6 frames 32 int 1\n"
                                         "answer 0xF3A21BCD95725A4A frames 34 int 1\n",
                                         onlySwitchOn("AlternativeCamera"));
  ASSERT_EQ(session.exitCode, 0) << session.output;
  const std::vector<Expected> gate = {call(native::kPlayerCharacter),         call(native::kAimGate, {0}),
                                      weaponQuery(0x11111111),        weaponQuery(0x22222222),
                                      call(native::kAimWeapon, {0x22222222}), call(native::kAimCharacter, {kPlayer})};
  const Expected camera = call(native::kCamera, {0x3F800000, 0x3F800000});
  const auto reveal = [](std::uint64_t controlSets) {
    std::vector<Expected> calls(controlSets, call(native::kControlSet, {0}));
    calls.push_back(call(native::kTextHash, {0}, {{0, "INPUT_REVEAL_HUD"}}));
    calls.push_back(call(native::kRevealControl, {0, standin::gameTextHash("INPUT_REVEAL_HUD")}));
    return calls;
  };
  const auto frameOf = [&](std::vector<std::vector<Expected>> parts) {
    std::vector<Expected> all = gate;
    for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    all.push_back(wait(0));
    return all;
  };
  // Frame 32: on, camera, reveal-HUD switches it off. Frame 33: off, nothing
  // pressed. Frame 34: zoom controls selected, zoom-in switches it on.
  // Frame 35: the camera is back.
  expectFrame(session, 32, frameOf({{camera}, reveal(2)}));
  expectFrame(session, 33, frameOf({reveal(2)}));
  expectFrame(session, 34,
              frameOf({{call(native::kControlSet, {0}), call(native::kTextHash, {0}, {{0, "INPUT_SNIPER_ZOOM_IN_ONLY"}}),
                        call(native::kZoomControl, {0, standin::gameTextHash("INPUT_SNIPER_ZOOM_IN_ONLY")})}}));
  expectFrame(session, 35, frameOf({{camera}, reveal(2)}));
}

struct GoreFrame {
  float bone[3];
  float rotation[3];
  float vector[3];
};

std::vector<std::uint64_t> shotArguments(const GoreFrame& f) {
  const HostVector3 start =
      expectedShotStart(f.bone, expectedOffsetDirection(f.rotation[1], f.rotation[2], f.vector));
  return {bitsOf(start.x), bitsOf(start.y), bitsOf(start.z), bitsOf(f.bone[0]), bitsOf(f.bone[1]),
          bitsOf(f.bone[2]), 1000, 1, 0x31B7B9FE, kPlayer, 0, 1, 0xBF800000, 0};
}

std::string vectorAnswer(std::uint64_t native, int frame, const float (&v)[3]) {
  std::ostringstream line;
  line.precision(9);
  line << "answer 0x" << std::hex << native << std::dec << " frames " << frame << " vector " << v[0] << " "
       << v[1] << " " << v[2] << "\n";
  return line.str();
}

// At 60 fps a wait of 700 ms lets 42 frames pass, one of 80 ms 5 (4.8
// rounded up): the script queries the bone in one frame and shoots in a later one.
TEST(FeaturesEndToEnd, MeleeGoreWaitsAndShootsBitExact) {
  // The first shot stands upright (rotation y 90) with the bone at height 0,
  // so the tiny z of the direction reaches the start point: there a sine or
  // cosine off in its last bits would show. The second is a general rotation.
  const GoreFrame frames[] = {
      {{10.5f, -20.25f, 0.0f}, {0.0f, 90.0f, 33.0f}, {0.3f, -7.1f, 2.2f}},
      {{-1234.567f, 4321.125f, 98.76f}, {5.0f, 12.5f, -123.456f}, {123.0f, -45.6f, 7.89f}},
  };
  // Frame the bone was hit in, its wait, the frame of the shot. 80 ms after
  // the shot the script ends its frame; the next one begins in the frame after.
  const struct {
    std::uint64_t hit;
    std::uint32_t waitMs;
    std::uint64_t shot;
  } shots[] = {{32, 700, 74}, {80, 80, 85}};
  constexpr std::uint64_t kNoShotFrame = 91;
  std::string scenario = std::string(kCommonAnswers) +
                         "frames 91\n"
                         "answer 0x3A87E44BB9A01D54 out 1 0x11111111 then out 1 0xEF32A25D\n"
                         "answer 0x18A3E9EE1297FD39 frames 32- int 0xFFFFFFB3\n"  // after start-up
                         "answer 0xCF8176912DDA4EA5 int 1\n"
                         "answer 0xB980061DA992779D int 1\n"
                         "answer 0x7D5B1F88E7504BBA int 1\n"
                         "answer 0x7EE53118C892B513 int 1\n"
                         "answer 0x7EE53118C892B513 frames 80 int 1 then int 0\n"
                         "answer 0xD75960F6BD9EA49C out 1 21030\n"
                         "answer 0xD75960F6BD9EA49C frames 91 out 1 21031\n";
  for (int i = 0; i < 2; ++i) {
    const int shot = static_cast<int>(shots[i].shot);
    scenario += vectorAnswer(native::kBonePosition, shot, frames[i].bone);
    scenario += vectorAnswer(native::kEntityRotation, shot, frames[i].rotation);
    scenario += vectorAnswer(native::kEntityVector, shot, frames[i].vector);
  }
  const e2e::Session session = e2e::play(scenario, onlySwitchOn("MeleeWeaponsGore"));
  ASSERT_EQ(session.exitCode, 0) << session.output;
  const std::vector<Expected> upToBone = {
      call(native::kPlayerCharacter),       weaponQuery(0x11111111),          weaponQuery(0xEF32A25D),
      call(native::kTarget, {kPlayer}), call(native::kTargetTest1, {kTarget}),    call(native::kTargetTest2, {kTarget}),
      call(native::kTargetTest3, {kTarget}), call(native::kEntityState, {kTarget, 11, 0})};
  Expected bone = call(native::kBone, {kTarget, 0});
  bone.written[1] = 21030;
  for (int i = 0; i < 2; ++i) {
    std::vector<Expected> hit = upToBone;
    hit.insert(hit.end(), {bone, call(native::kEntityState, {kTarget, 11, 0}), wait(shots[i].waitMs)});
    expectFrame(session, shots[i].hit, hit);
    for (std::uint64_t frame = shots[i].hit + 1; frame < shots[i].shot; ++frame) expectFrame(session, frame, {});
    expectFrame(session, shots[i].shot,
                {call(native::kBonePosition, {kTarget, 21030, 0, 0, 0}), call(native::kEntityVector, {kTarget}),
                 call(native::kEntityRotation, {kTarget, 2}), call(native::kGoreShot, shotArguments(frames[i])),
                 wait(80)});
    for (std::uint64_t frame = shots[i].shot + 1; frame < shots[i].shot + 5; ++frame) expectFrame(session, frame, {});
    expectFrame(session, shots[i].shot + 5, {wait(0)});
  }
  // A bone outside the five: no wait, no shot.
  std::vector<Expected> noShot = upToBone;
  Expected otherBone = call(native::kBone, {kTarget, 0});
  otherBone.written[1] = 21031;
  noShot.insert(noShot.end(), {otherBone, wait(0)});
  expectFrame(session, kNoShotFrame, noShot);
}

TEST(FeaturesEndToEnd, CameraShakeWithTheWeaponsAmplitude) {
  const e2e::Session session = e2e::play(std::string(kCommonAnswers) +
                                         "frames 34\n"
                                         "answer 0x3A87E44BB9A01D54 out 1 0x0BADF00D then out 1 0x5EC0D000\n"
                                         "answer 0x705BE297EEBDB95D int 1\n"
                                         "answer 0x34616828CD07F1A1 int 1\n"
                                         "answer 0x34616828CD07F1A1 frames 34 int 0\n"
                                         "answer 0xEA4C5F4AA0A4DBEF int 0\n"
                                         "answer 0xC75386174ECE95D5 int 0\n"
                                         "answer 0xC75386174ECE95D5 frames 32 int 1\n",
                                         onlySwitchOn("CameraShakeOnShot"));
  ASSERT_EQ(session.exitCode, 0) << session.output;
  const std::vector<Expected> tests = {call(native::kPlayerCharacter), weaponQuery(0x0BADF00D),
                                       call(native::kShakeWeapon, {0x0BADF00D}), call(native::kFiring, {kPlayer})};
  const std::uint64_t amplitudes[] = {0x3DA3D70A, 0x3D4CCCCD};
  for (int i = 0; i < 2; ++i) {
    std::vector<Expected> expected = tests;
    expected.insert(expected.end(), {call(native::kShakeBlocked), weaponQuery(0x5EC0D000), call(native::kStrongShake, {0x5EC0D000}),
                                     call(native::kShake, {0, amplitudes[i]}, {{0, "SMALL_EXPLOSION_SHAKE"}}), wait(0)});
    expectFrame(session, static_cast<std::uint64_t>(i + 32), expected);
  }
  std::vector<Expected> notFiring = tests;
  notFiring.push_back(wait(0));
  expectFrame(session, 34, notFiring);
}

}  // namespace

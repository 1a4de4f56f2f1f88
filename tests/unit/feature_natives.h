#pragma once

#include <cstdint>

// The natives of the combat tweaks, as the game knows them.
namespace native {
constexpr std::uint64_t kTextHash = 0xFD340785ADF8CFB7;
constexpr std::uint64_t kWeapon = 0x3A87E44BB9A01D54;
constexpr std::uint64_t kEntityState = 0x7EE53118C892B513;
constexpr std::uint64_t kRevealControl = 0x50F940259D3841E6;
constexpr std::uint64_t kZoomControl = 0xF3A21BCD95725A4A;
constexpr std::uint64_t kControlSet = 0xA571D46727E2B718;
constexpr std::uint64_t kEntityVector = 0x2412D9C05BB09B97;
constexpr std::uint64_t kEntityRotation = 0xE09CAF86C32CB48F;
constexpr std::uint64_t kAimGate = 0x936F967D4BE1CE9D;
constexpr std::uint64_t kAimWeapon = 0x959383DCD42040DA;
constexpr std::uint64_t kAimCharacter = 0x01FEE67DB37F59B2;
constexpr std::uint64_t kCamera = 0x2126C740A4AC370B;
constexpr std::uint64_t kTarget = 0x18A3E9EE1297FD39;
constexpr std::uint64_t kTargetTest1 = 0xCF8176912DDA4EA5;
constexpr std::uint64_t kTargetTest2 = 0xB980061DA992779D;
constexpr std::uint64_t kTargetTest3 = 0x7D5B1F88E7504BBA;
constexpr std::uint64_t kBone = 0xD75960F6BD9EA49C;
constexpr std::uint64_t kBonePosition = 0x17C07FC640E86B4E;
constexpr std::uint64_t kGoreShot = 0x867654CBC7606F2C;
constexpr std::uint64_t kShakeWeapon = 0x705BE297EEBDB95D;
constexpr std::uint64_t kFiring = 0x34616828CD07F1A1;
constexpr std::uint64_t kShakeBlocked = 0xEA4C5F4AA0A4DBEF;
constexpr std::uint64_t kStrongShake = 0xC75386174ECE95D5;
constexpr std::uint64_t kShake = 0xD9B31B4650520529;
constexpr std::uint64_t kPlayerCharacter = 0x096275889B8E0EE0;
}  // namespace native

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace standin {

// The native that hashes a text; answered with the game's own hash.
constexpr std::uint64_t kTextHashNative = 0xFD340785ADF8CFB7;

// Natives whose calls tell what the plug-in did, for readers of traces.
namespace natives {
constexpr std::uint64_t kPlayerCharacter = 0x096275889B8E0EE0;
constexpr std::uint64_t kCurrentWeapon = 0x3A87E44BB9A01D54;
constexpr std::uint64_t kRevealControlTest = 0x50F940259D3841E6;
constexpr std::uint64_t kZoomControlTest = 0xF3A21BCD95725A4A;
constexpr std::uint64_t kApplyCamera = 0x2126C740A4AC370B;
constexpr std::uint64_t kMeleeTarget = 0x18A3E9EE1297FD39;
constexpr std::uint64_t kTargetBone = 0xD75960F6BD9EA49C;
constexpr std::uint64_t kGoreShot = 0x867654CBC7606F2C;
constexpr std::uint64_t kShakeCamera = 0xD9B31B4650520529;
constexpr std::uint64_t kMakeNoticeText = 0xFA925AC00EB830B9;
}  // namespace natives

// (native, argument index) pairs whose argument is the address of a text.
const std::vector<std::pair<std::uint64_t, unsigned>>& knownTextArguments();

// (native, argument index) pairs whose argument is the address of a variable
// that the game fills.
const std::vector<std::pair<std::uint64_t, unsigned>>& knownOutArguments();

// What a names file may declare of a native's parameters and its result.
// An out-variable is 32 bits (`out`), unless a names file says it points to a
// float (`out-float`), a 64-bit value (`out-whole`) or a vector (`out-vector`).
enum class ValueKind { Int, Handle, Hash, Bool, Float, Vector, Text, Out, Whole, OutFloat, OutVector, OutWhole, Unknown };

bool isOutKind(ValueKind kind);
// The bytes an out-variable of that kind holds: 4, 8, or 24 for a vector.
std::size_t outWidth(ValueKind kind);

struct NativeSignature {
  std::vector<ValueKind> parameters;  // as declared: a vector is one parameter
  std::vector<ValueKind> slots;       // one per pushed slot: a vector takes three
  ValueKind result = ValueKind::Unknown;
  std::string declaration;            // as a names file writes it: "(handle, int) -> bool"
};

// The word that names a kind in names files; `kindNamed` reads it back.
const char* valueKindName(ValueKind kind);
bool kindNamed(const std::string& word, ValueKind& kind);

// The name the stand-in gives the text hash itself, with no names file.
constexpr const char* kTextHashName = "text hash";

// Names of natives, from the names files that scenarios load (`names FILE`);
// they hold for the rest of the process. A name already given to another
// native is refused (a LineError naming where it was given); `where` is
// "FILE:LINE", kept for that message.
void addNativeName(std::uint64_t hash, const std::string& name, const std::string& where = "");
void declareSignature(std::uint64_t hash, NativeSignature signature);
// Null for a native whose parameters no names file declared.
const NativeSignature* nativeSignature(std::uint64_t hash);
// Whether `signature` (null: none declared) declares argument slot `slot` as
// `kind`; asked for Out, whether it declares any out-variable.
bool declaresSlot(const NativeSignature* signature, unsigned slot, ValueKind kind);
// Back to the names the stand-in knows by itself.
void forgetNativeNames();
// The name of a native, or empty.
std::string nativeName(std::uint64_t hash);
// The native with that name ('-' or '_' may stand for its spaces), or 0.
std::uint64_t nativeHashByName(const std::string& name);
// "NAME (0x0123456789ABCDEF)", or the hex value alone for a native without a name.
std::string nativeWords(std::uint64_t hash);

// A readable name for a weapon or control hash this stand-in knows, or empty.
std::string gameHashName(std::uint32_t hash);

}  // namespace standin

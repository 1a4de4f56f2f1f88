#include "scenario/argument_values.h"

#include "base/native_names.h"

namespace standin {

bool holdsFloat(std::uint64_t native, unsigned index) {
  const NativeSignature* signature = nativeSignature(native);
  return declaresSlot(signature, index, ValueKind::Float) || declaresSlot(signature, index, ValueKind::Vector);
}

std::uint64_t parseArgumentSlot(const Token& token, std::uint64_t native, unsigned index) {
  const std::string& text = token.text;
  // Bits and hashes stay what they are: a NaN or an upper half set can only be written so.
  const bool bits = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 || text.rfind("hash(", 0) == 0;
  if (token.quoted || bits || !holdsFloat(native, index)) return parseWhole(token, "argument");
  return parseFloatBits(token, "float argument");
}

}  // namespace standin

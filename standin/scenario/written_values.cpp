#include "scenario/written_values.h"

#include "base/native_names.h"
#include "base/quoted_text.h"
#include "scenario/scenario_words.h"

namespace standin {

std::string parseWrittenValue(const std::string& text, std::uint64_t native, std::size_t index) {
  const NativeSignature* signature = nativeSignature(native);
  const ValueKind kind = signature && index < signature->slots.size() ? signature->slots[index] : ValueKind::Out;
  if (text.find(',') != std::string::npos || kind == ValueKind::OutVector) {
    std::vector<std::uint64_t> slots;
    for (std::size_t at = 0;;) {
      const std::size_t comma = text.find(',', at);
      slots.push_back(parseFloatBits({text.substr(at, comma == std::string::npos ? comma : comma - at), false},
                                     "vector component"));
      if (comma == std::string::npos) break;
      at = comma + 1;
    }
    if (slots.size() != 3) throw LineError("a written vector is &X,Y,Z, not " + shownWord(text));
    return wideOutWord(slots);
  }
  if (kind == ValueKind::OutFloat) return "&" + hex(parseFloatBits({text, false}, "written float"), 8);
  if (kind == ValueKind::OutWhole || (text.rfind("0x", 0) == 0 && text.size() > 10))
    return wideOutWord({parseWhole({text, false}, "written value")});
  return "&" + hex(parseWord({text, false}, "argument"), 8);
}

}  // namespace standin

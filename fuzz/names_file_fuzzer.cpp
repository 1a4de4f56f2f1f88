// Names files into the loader: each reads or is refused with one readable
// line naming the file and line; a name it gives finds its native again, and
// a declaration it reads is as long as its slots say.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "fuzz_files.h"
#include "base/native_names.h"
#include "scenario/scenario.h"
#include "scenario/scenario_tokens.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string path = writeFuzzFile("fuzz.names", text);
  standin::forgetNativeNames();
  try {
    standin::loadNamesFile(path);
    // Every hash that starts a line is named, and its name leads back to it.
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      const std::vector<standin::Token> tokens = standin::tokenizeLine(line);
      if (tokens.empty() || tokens[0].text.rfind("0x", 0) != 0) continue;
      const std::uint64_t hash = standin::parseWhole(tokens[0], "hash");
      const std::string name = standin::nativeName(hash);
      check(!name.empty(), "a native of the file has a name");
      check(standin::nativeHashByName(name) == hash, "the name " + name + " finds its native");
      if (const standin::NativeSignature* signature = standin::nativeSignature(hash))
        check(signature->slots.size() <= 64 && signature->slots.size() >= signature->parameters.size(),
              "declared slots fit a call");
    }
  } catch (const std::runtime_error& error) {
    const std::string message = error.what();
    check(oneReadableLine(message), "a refusal is one readable line: " + message);
    check(message.rfind(path + ":", 0) == 0, "a refusal names the file and line: " + message);
  }
  standin::forgetNativeNames();
  return 0;
}

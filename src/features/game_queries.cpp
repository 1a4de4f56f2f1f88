#include "features/game_queries.h"

#include "host/native_call.h"

namespace {
constexpr std::uint64_t kTextHashNative = 0xFD340785ADF8CFB7;
}

GameHash hashOfText(const char* text) { return NativeCall(kTextHashNative).pushText(text).perform().asHash(); }

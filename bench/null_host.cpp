#include "null_host.h"

#include <cstring>

#include "scenario/answers.h"
#include "script_host.h"

namespace null_host {
namespace {

// Open addressing over the low bits of the hash: native hashes are spread
// well, and a lookup costs about what a real host's handler lookup does.
constexpr std::size_t kTableSize = 64;

struct Entry {
  std::uint64_t hash;  // 0: free
  Reply reply;
};

Entry table[kTableSize];
const Reply kNoReply = {{0, 0, 0}, kNoOutVariable, false, 0};

const Reply* current = &kNoReply;
std::uint64_t currentHash = 0;
std::uint64_t arguments[kMaxArguments];
std::size_t argumentCount = 0;
std::uint64_t results[3];

Step* capture = nullptr;
std::size_t captureCapacity = 0;
std::size_t captured = 0;

Entry& slotFor(std::uint64_t hash) {
  std::size_t i = hash % kTableSize;
  while (table[i].hash != 0 && table[i].hash != hash) i = (i + 1) % kTableSize;
  return table[i];
}

const Reply& replyFor(std::uint64_t hash) {
  const Entry& entry = slotFor(hash);
  return entry.hash == hash ? entry.reply : kNoReply;
}

void captureStep(std::uint64_t hash, std::uint32_t waitMs) {
  if (captured == captureCapacity) return;
  Step& step = capture[captured++];
  step.hash = hash;
  step.waitMs = waitMs;
  step.argumentCount = static_cast<std::uint32_t>(argumentCount);
  std::memcpy(step.arguments, arguments, sizeof arguments);
  step.outArgument = hash == 0 ? kNoOutVariable : current->outArgument;
}

Reply& claim(std::uint64_t hash) {
  Entry& entry = slotFor(hash);
  if (entry.hash != hash) entry = Entry{hash, kNoReply};
  return entry.reply;
}

}  // namespace

void answerAsBook(const standin::AnswerBook& book, const std::uint64_t* hashes, std::size_t count,
                  const OutVariable* outVariables, std::size_t outCount) {
  for (Entry& entry : table) entry = Entry{0, kNoReply};
  for (std::size_t i = 0; i < outCount; ++i) claim(outVariables[i].hash).outArgument = outVariables[i].argument;
  for (std::size_t i = 0; i < count; ++i) {
    const standin::Answer* answer = book.find(1, hashes[i], 0);
    if (answer == nullptr) continue;
    Reply& reply = claim(hashes[i]);
    std::memcpy(reply.slots, answer->slots, sizeof reply.slots);
    if (!answer->outWrites.empty()) {
      reply.writesOut = true;
      reply.outValue = answer->outWrites[0].second;
    }
  }
}

void startCapture(Step* steps, std::size_t capacity) {
  capture = steps;
  captureCapacity = capacity;
  captured = 0;
}

std::size_t stopCapture() {
  capture = nullptr;
  return captured;
}

}  // namespace null_host

using namespace null_host;

extern "C" void scriptRegister(HostModule, ScriptEntryFunction) {}
extern "C" void scriptUnregister(HostModule) {}
extern "C" void keyboardHandlerRegister(KeyboardHandlerFunction) {}
extern "C" void keyboardHandlerUnregister(KeyboardHandlerFunction) {}

extern "C" void scriptWait(HostDword milliseconds) {
  if (capture) {
    argumentCount = 0;
    captureStep(0, static_cast<std::uint32_t>(milliseconds));
  }
}

extern "C" void nativeInit(std::uint64_t hash) {
  currentHash = hash;
  current = &replyFor(hash);
  argumentCount = 0;
}

extern "C" void nativePush64(std::uint64_t value) {
  if (argumentCount < kMaxArguments) arguments[argumentCount++] = value;
}

extern "C" std::uint64_t* nativeCall() {
  const Reply& reply = *current;
  if (reply.writesOut && static_cast<std::size_t>(reply.outArgument) < argumentCount) {
    auto* variable = reinterpret_cast<std::uint32_t*>(static_cast<std::uintptr_t>(arguments[reply.outArgument]));
    if (variable) *variable = reply.outValue;
  }
  if (capture) captureStep(currentHash, 0);
  std::memcpy(results, reply.slots, sizeof results);
  return results;
}

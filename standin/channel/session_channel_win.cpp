#include "channel/session_channel_win.h"

#include <cstdlib>
#include <new>
#include <string>

#include "base/exit_codes.h"
#include "scenario/scenario.h"

namespace standin::win {

namespace {
SessionChannel g_ownBlock;
SessionChannel* g_block = &g_ownBlock;
}  // namespace

const char* const kChannelVariable = "STANDIN_SESSION_CHANNEL";

SessionChannel& channel() { return *g_block; }

void beginSession(SessionChannel& block) {
  const LONG session = block.session;
  const ULONG_PTR goEvent = block.goEvent;
  const ServedRequest request = block.request;
  char tracePath[sizeof block.tracePath];
  copyText(tracePath, block.tracePath);
  new (&block) SessionChannel();
  copyText(block.tracePath, tracePath);
  block.goEvent = goEvent;
  block.request = request;
  InterlockedExchange(&block.session, session + 1);
}

SessionChannel* makeChannelMapping(HANDLE& mapping) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE, 0, sizeof(SessionChannel), nullptr);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SessionChannel)) : nullptr;
  return view ? new (view) SessionChannel() : nullptr;
}

SessionChannel* makeSharedChannel(HANDLE& mapping) {
  SessionChannel* block = makeChannelMapping(mapping);
  if (block) g_block = block;
  return block;
}

// The runner passes the inherited mapping's handle by its number; the
// variable goes at once, so that nothing the plug-in starts takes it for its own.
bool attachRunnersChannel() {
  char value[32] = "";
  if (GetEnvironmentVariableA(kChannelVariable, value, sizeof value) == 0) return false;
  SetEnvironmentVariableA(kChannelVariable, nullptr);
  const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(value, nullptr, 10)));
  void* view = MapViewOfFile(handle, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SessionChannel));
  const auto* block = static_cast<const SessionChannel*>(view);
  // A process given a channel it cannot use is the stand-in's own failure,
  // told by the runner; watching a session of its own instead would start
  // processes without end.
  if (!block || block->version != kChannelVersion || block->size != static_cast<LONG>(sizeof(SessionChannel)))
    ExitProcess(kExitStandinFailed);
  g_block = static_cast<SessionChannel*>(view);
  return true;
}

void copyText(char* field, std::size_t size, const char* text) {
  std::size_t i = 0;
  for (; text[i] != '\0' && i + 1 < size; ++i) field[i] = text[i];
  field[i] = '\0';
}

namespace {
// What the plug-in's DllMain calls at process exit says nothing of its recovery.
LONG lastHeartbeat(const SessionChannel& block) {
  return block.exitHeartbeat >= 0 ? block.exitHeartbeat : block.heartbeat;
}
}  // namespace

const PendingFault* standingFault(const SessionChannel& block) {
  for (const PendingFault& fault : block.pending) {
    const bool open = (fault.state == kPendingOpen || fault.state == kPendingDescribing) && !fault.handled;
    if (open && (fault.certain || fault.heartbeat == lastHeartbeat(block))) return &fault;
  }
  return nullptr;
}

bool throwStands(const SessionChannel& block) {
  return block.thrown[0] != '\0' && block.thrownHeartbeat == lastHeartbeat(block);
}

void noteProcessExit(SessionChannel& block) { InterlockedCompareExchange(&block.exitHeartbeat, block.heartbeat, -1); }

ULONGLONG stallMsOf(const SessionChannel& block) {
  return block.stallMs != 0 ? static_cast<ULONGLONG>(block.stallMs) : ScenarioCaps{}.stallMs;
}

}  // namespace standin::win

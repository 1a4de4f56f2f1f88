#include "checks/left_behind.h"

namespace standin {

bool ProcessMark::operator==(const ProcessMark& other) const {
  return threads == other.threads && handles == other.handles && modules == other.modules &&
         firstFreeTls == other.firstFreeTls && firstFreeFls == other.firstFreeFls && fpControl == other.fpControl &&
         sseControl == other.sseControl;
}

namespace {

void add(std::string& said, const std::string& what) { said += (said.empty() ? "" : ", ") + what; }

// "1 more handle", "3 fewer threads": a session may end one of the process's too.
void addCount(std::string& said, unsigned long before, unsigned long after, const char* one, const char* many) {
  if (before == after) return;
  const unsigned long by = after > before ? after - before : before - after;
  add(said, std::to_string(by) + (after > before ? " more " : " fewer ") + (by == 1 ? one : many));
}

}  // namespace

std::string whatWasLeft(const ProcessMark& before, const ProcessMark& after, const std::vector<std::string>& notPutBack) {
  std::string said;
  addCount(said, before.handles, after.handles, "handle", "handles");
  addCount(said, before.modules, after.modules, "loaded module", "loaded modules");
  addCount(said, before.threads, after.threads, "thread", "threads");
  if (before.firstFreeTls != after.firstFreeTls) add(said, "a TLS slot");
  if (before.firstFreeFls != after.firstFreeFls) add(said, "a fiber-local slot");
  if (before.fpControl != after.fpControl || before.sseControl != after.sseControl) add(said, "the FPU control");
  for (const std::string& what : notPutBack) add(said, what);
  return said;
}

std::string leftBehindLine(const std::map<std::string, unsigned long long>& sessionsByWhatWasLeft) {
  std::string line;
  for (const auto& [what, sessions] : sessionsByWhatWasLeft)
    line += (line.empty() ? "" : "; ") + what + " (" + std::to_string(sessions) + (sessions == 1 ? " session)" : " sessions)");
  return line.empty() ? line : "a process was not kept after what passing sessions left in it: " + line;
}

}  // namespace standin

#include "checks/reload_usage.h"

namespace standin {

namespace {

// The sample that the verdict measures from: past the warm-up.
std::size_t baselineIndex(std::size_t unloads) {
  const std::size_t tenth = unloads / 10;
  return tenth < 1 ? 1 : tenth;
}

// Small figures to a tenth: a TLS index lost every other reload reads 0.5.
std::string perReload(std::uint64_t lost, std::uint64_t reloads) {
  const std::uint64_t tenths = (lost * 10 + reloads / 2) / reloads;
  const bool small = tenths < 1000 && tenths % 10 != 0;
  return std::to_string(small ? tenths / 10 : (lost + reloads / 2) / reloads) +
         (small ? "." + std::to_string(tenths % 10) : "") + " per reload";
}

}  // namespace

std::string reloadLossVerdict(const std::vector<UsageSample>& afterEachUnload) {
  if (afterEachUnload.size() < kFewestUnloadsJudged) return "";
  const UsageSample& first = afterEachUnload[baselineIndex(afterEachUnload.size())];
  const UsageSample& last = afterEachUnload.back();
  const std::uint64_t reloads = afterEachUnload.size() - 1 - baselineIndex(afterEachUnload.size());
  std::string lost;
  if (last.freeTlsIndexes < first.freeTlsIndexes) {
    const std::uint64_t indexes = first.freeTlsIndexes - last.freeTlsIndexes;
    lost = std::to_string(indexes) + " TLS index" + (indexes == 1 ? "" : "es") + " (" +
           perReload(indexes, reloads) + ")";
  }
  const std::uint64_t grown = last.committedPrivateBytes > first.committedPrivateBytes
                                  ? last.committedPrivateBytes - first.committedPrivateBytes
                                  : 0;
  if (grown >= kBytesPerReloadTolerated * reloads)
    lost += (lost.empty() ? "" : " and ") + std::to_string(grown) + " bytes of committed memory (" +
            perReload(grown, reloads) + ")";
  const auto counted = [&](std::uint64_t before, std::uint64_t after, const char* one, const char* many) {
    constexpr std::uint64_t kUncounted = 0xFFFFFFFF;
    const std::uint64_t more = after > before && before != kUncounted && after != kUncounted ? after - before : 0;
    if (more == 0 || more * 2 < reloads) return;
    lost += (lost.empty() ? "" : " and ") + std::to_string(more) + " " + (more == 1 ? one : many) + " (" +
            perReload(more, reloads) + ")";
  };
  counted(first.handles, last.handles, "handle", "handles");
  counted(first.modules, last.modules, "loaded module", "loaded modules");
  if (lost.empty()) return "";
  const std::string over = "the plug-in lost " + lost + " over " + std::to_string(reloads) + " reloads";
  // The runtime takes a TLS index at its first exception or thread_local of
  // each load; with none lost, the release did its part or had nothing to do.
  if (last.freeTlsIndexes >= first.freeTlsIndexes)
    return over +
           " and no TLS index: with the kit's runtime release linked (add_script_plugin links it; otherwise link "
           "script_runtime_release.cpp), that is the plug-in's own code keeping memory at unload. Likely causes: "
           "its script's locals, never destroyed because a script's stack is not unwound at unload (in the game's "
           "host neither), so keep state in static objects; threads it started and did not end; handles it did "
           "not close; libraries it loaded and did not free; heap blocks it did not free";
  return over + ": its static C++ runtime keeps them at unload; build it with the kit's add_script_plugin, or "
                "link the kit's script_runtime_release.cpp into it";
}

}  // namespace standin

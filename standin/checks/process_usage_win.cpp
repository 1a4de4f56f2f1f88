#include "checks/process_usage_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "checks/process_counts_win.h"
#include "base/full_path_win.h"

namespace standin::win {

namespace {

std::string g_usagePath;
std::FILE* g_usageLog = nullptr;
std::uint64_t g_unloads = 0;
bool g_watched = false;
std::vector<UsageSample> g_samples;

// Takes every index there is, then gives them all back.
std::uint64_t countFreeTlsIndexes() {
  std::vector<DWORD> taken;
  taken.reserve(2048);
  for (DWORD index; (index = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(index);
  for (const DWORD index : taken) TlsFree(index);
  return taken.size();
}

std::uint64_t sumCommittedPrivateBytes() {
  std::uint64_t sum = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) sum += region.RegionSize;
    const char* const next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return sum;
}

}  // namespace

UsageSample measureProcessUsage() {
  UsageSample usage;
  usage.freeTlsIndexes = countFreeTlsIndexes();
  usage.committedPrivateBytes = sumCommittedPrivateBytes();
  usage.handles = countOwnHandles();
  usage.modules = countModules();
  return usage;
}

bool takeUsageOption(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--usage") != 0) continue;
    if (i + 1 >= argc) return false;
    // Resolved now: the session changes into the plug-in's working folder.
    g_usagePath = fullPath(argv[i + 1]);
    for (int j = i + 2; j < argc; ++j) argv[j - 2] = argv[j];
    argc -= 2;
    return true;
  }
  return true;
}

const std::string& usageLogPath() { return g_usagePath; }

bool openUsageLog() {
  if (g_usagePath.empty()) return true;
  g_usageLog = std::fopen(g_usagePath.c_str(), "w");
  if (!g_usageLog) return false;
  std::fputs("unload frame free-tls-indexes committed-private-bytes handles modules\n", g_usageLog);
  return std::fflush(g_usageLog) == 0;
}

void watchUsage() { g_watched = true; }

void forgetUsage() {
  g_watched = false;
  g_samples.clear();
}

const std::vector<UsageSample>& usageAfterUnloads() { return g_samples; }

void noteUsageAtUnload(std::uint64_t frame) {
  if (!g_usageLog && !g_watched) return;
  const UsageSample usage = measureProcessUsage();
  g_samples.push_back(usage);
  if (!g_usageLog) return;
  std::fprintf(g_usageLog, "%llu %llu %llu %llu %llu %llu\n", static_cast<unsigned long long>(++g_unloads),
               static_cast<unsigned long long>(frame), static_cast<unsigned long long>(usage.freeTlsIndexes),
               static_cast<unsigned long long>(usage.committedPrivateBytes),
               static_cast<unsigned long long>(usage.handles), static_cast<unsigned long long>(usage.modules));
  std::fflush(g_usageLog);
}

}  // namespace standin::win

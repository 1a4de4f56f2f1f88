#pragma once

#include <cstdint>

#include "script_host.h"

constexpr std::uint32_t kProcessDetach = 0;
constexpr std::uint32_t kProcessAttach = 1;
constexpr std::uint32_t kThreadAttach = 2;
constexpr std::uint32_t kThreadDetach = 3;

// The work of DllMain, kept free of <windows.h> so it runs in native tests.
// Runs under the loader lock: only the four registration calls, nothing else.
HostBool handleLibraryNotification(HostModule module, std::uint32_t reason);

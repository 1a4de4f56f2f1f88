#pragma once

#include <cstdint>

// Milliseconds since the system started, wrapping at 2^32 (GetTickCount on Windows).
std::uint32_t currentTickCount();

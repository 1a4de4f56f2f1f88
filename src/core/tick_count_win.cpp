#include <windows.h>

#include "core/tick_count.h"

std::uint32_t currentTickCount() { return GetTickCount(); }

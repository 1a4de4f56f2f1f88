#pragma once

#include <string>

// Appends one timestamped line to Harlowick/Log.log. Never throws: a log that
// cannot be written is skipped silently.
void logLine(const char* message) noexcept;
void logLine(std::string message) noexcept;

#pragma once

#include <string>

// The log, relative to the game's working folder. Its folder is never
// created: a player who wants no log simply has no such folder.
constexpr char kLogFilePath[] = "Harlowick/Log.log";

// Appends one timestamped line to the log, opening and closing the file
// each time so every line is on disk when the call returns. Never throws: a
// log that cannot be written is skipped silently, and the next call tries
// again from scratch.
void logLine(const char* message) noexcept;
// Logs the characters up to the first NUL, as the text form does.
void logLine(std::string message) noexcept;

#pragma once

#include <cstdint>
#include <string>

namespace standin::win {

// What a plug-in takes from the whole process and must give back when it is
// unloaded: the host keeps one process for many loads.
struct ProcessUsage {
  std::uint64_t freeTlsIndexes = 0;
  std::uint64_t committedPrivateBytes = 0;
};

ProcessUsage measureProcessUsage();

// The usage log of "--usage FILE": one line of figures after each unload.
// Takes the option out of the command line; false when it lacks its file.
bool takeUsageOption(int& argc, char** argv);

// Makes the file named by the option, if any; false when it cannot be written.
bool openUsageLog();
const std::string& usageLogPath();

// Writes a line for the unload that ended before `frame`.
void noteUsageAtUnload(std::uint64_t frame);

}  // namespace standin::win

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checks/reload_usage.h"

namespace standin::win {

// What a plug-in takes from the whole process and must give back when it is
// unloaded: the host keeps one process for many loads.
UsageSample measureProcessUsage();

// The usage log of "--usage FILE": one line of figures after each unload.
// Takes the option out of the command line; false when it lacks its file.
bool takeUsageOption(int& argc, char** argv);

// Makes the file named by the option, if any; false when it cannot be written.
bool openUsageLog();
const std::string& usageLogPath();

// Measures after every unload from now on, with or without the option.
void watchUsage();
// A served process's next session measures its own unloads, from none.
void forgetUsage();

// Measures, when watched or asked for, after the unload that ended before
// `frame`, and writes its line.
void noteUsageAtUnload(std::uint64_t frame);

// What each unload left, when measured.
const std::vector<UsageSample>& usageAfterUnloads();

}  // namespace standin::win

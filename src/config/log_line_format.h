#pragma once

#include <ctime>
#include <string>

// The local time now; false when the clock or the time zone conversion fails.
bool readLocalTime(std::tm& now);

// One log line with its line feed: "[day/month/year hour:minute:second] "
// and the message, numbers without leading zeros. Without a time the stamp
// reads [0/0/0 0:0:0], a date that cannot occur, so the message is kept
// and the line still has the shape readers of the log expect.
std::string formatLogLine(const std::tm* localTime, const char* message);

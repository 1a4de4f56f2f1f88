#pragma once

#include <string>

// Gives a line read from a file opened in text mode the shape Windows text
// mode gives it: a carriage return in front of the line feed is dropped.
// `endedAtLineFeed` is false for a last line that had no line end.
void finishTextModeLine(std::string& line, bool endedAtLineFeed);

#include "config/text_mode_line.h"

// POSIX has no text mode: a file written on Windows keeps its CR LF, and the
// CR is dropped here as the Windows runtime would drop it. A bare CR, one
// that no line feed follows, stays an ordinary byte there and here.
void finishTextModeLine(std::string& line, bool endedAtLineFeed) {
  if (endedAtLineFeed && !line.empty() && line.back() == '\r') line.pop_back();
}

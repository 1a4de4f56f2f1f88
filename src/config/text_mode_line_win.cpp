#include "config/text_mode_line.h"

// The C runtime's text mode has already turned each CR LF into a line feed.
void finishTextModeLine(std::string&, bool) {}

// The stand-in's parsers read files by path (names files and included files
// are named from inside a scenario), so the targets write their input into a
// folder of their own first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A folder for this process's files, made once.
const std::string& fuzzFolder();
// Writes `bytes` to NAME in that folder and gives its path.
std::string writeFuzzFile(const std::string& name, const std::string& bytes);
// The input cut at its NUL bytes into at most `parts` pieces (the last keeps its NULs).
std::vector<std::string> splitInput(const std::uint8_t* data, std::size_t size, std::size_t parts);
// Whether a message is one line of printable text, as the stand-in promises its messages are.
bool oneReadableLine(const std::string& message);

// Source places of a plug-in's offsets from its .pdb, read by the system's
// symbol library (dbghelp.dll) in the watching runner, never in the
// session's process, where a crashed thread may hold the loader's or the
// heap's lock. The .pdb is looked for in the folder the author names, beside
// the plug-in, and at the path the plug-in's debug directory names. MinGW's
// DWARF is not read here: its offsets stay offsets.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace standin::win {

class PdbSymbols {
 public:
  // `symbolsFolder` may be empty.
  PdbSymbols(const std::string& plugin, const std::string& symbolsFolder);
  ~PdbSymbols();
  PdbSymbols(const PdbSymbols&) = delete;
  PdbSymbols& operator=(const PdbSymbols&) = delete;

  // Whether a .pdb of this very build was found and read.
  bool found() const { return base_ != 0; }
  // "function at file:line", "function" without line information, or empty.
  std::string placeOf(std::uint64_t offset) const;

 private:
  struct Library;
  std::unique_ptr<Library> library_;
  std::uint64_t base_ = 0;
};

// The plug-in's file name and the author's symbols folder, for the verdict's message.
void setSessionSymbols(const std::string& plugin, const std::string& symbolsFolder);
// The message with the plug-in's places told in its source, when its .pdb is found.
std::string withPluginSourcePlaces(const std::string& message);

const std::string& sessionSymbolsFolder();

// Takes "--symbols DIR" out of the command line; false when DIR is missing.
bool takeSymbolsOption(int& argc, char** argv, std::string& folder);
// The plug-in's full path in "[--usage FILE] SCENARIO PLUGIN TRACE"; empty for another command line.
std::string pluginOfCommandLine(int argc, char** argv);

}  // namespace standin::win

// The kit's commands, in standin.exe so that the kit's .cmd files on Windows
// and its bash scripts on Linux run the same code.
#pragma once

namespace standin::win {

// --play [--trace-only] [--no-places] SCENARIO [TRACE], or
// --play [-j N] [--junit FILE] [--traces DIR] SCENARIO|FOLDER..., with the
// plug-in named by the environment's PLUGIN.
int runPlay(int argc, char** argv);

// --new-plugin NAME [DIR] [--kit-as PATH]: a new plug-in's project.
int writeNewPlugin(int argc, char** argv);

// Also the tool commands of their own (--short-view, --symbolize).
int printShortView(const char* scenarioPath, const char* tracePath);
int printSourcePlaces(int argc, char** argv);

}  // namespace standin::win

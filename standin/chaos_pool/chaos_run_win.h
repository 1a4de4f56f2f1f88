// standin.exe --chaos BASE.scn PLUGIN.asi [--seconds S | --runs N] [--seed N] [--out DIR] [-j N]
#pragma once

namespace standin::chaos {

// Plays sessions made from the base by the seed, shrinks what they find into
// DIR/NNN-VERDICT.scn; 0 when nothing was found, 1 when something was, 2 for
// bad input. -1 when the command line asks for something else.
int runChaos(int argc, char** argv);

}  // namespace standin::chaos

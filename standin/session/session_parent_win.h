// The runner as the process the user starts: it plays the session in a
// second process, started with the same command line, and watches it.
#pragma once

namespace standin::win {

// Starts the session's process and gives the run's exit code, whatever that
// process does: it tells its own end when it reaches it; otherwise (a
// verdict it could not finish telling, a plug-in that ended or hung the
// process) this one writes the stop line, the message and the summary.
int watchSession();

}  // namespace standin::win

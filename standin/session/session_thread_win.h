// A served process plays each session on a runner thread made for it, as a
// fresh process plays its one session on a thread that no session used
// before: what the C runtimes keep per thread (rand()'s seed, errno, a
// thread's own locale) starts as it starts there, and the thread's end runs
// what the plug-in left to run then (its fiber-local callbacks, the thread
// detach of the libraries it loaded), as the end of a fresh process would.
#pragma once

namespace standin::win {

// runSession on a new thread, the keyboard courier's made by the session as
// ever; the session's code once the thread has ended.
int runSessionOnItsOwnThread(int argc, char** argv);

}  // namespace standin::win

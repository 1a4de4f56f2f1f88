// The stand-in's own threads in a session's process: the watchdog, the
// keyboard courier, the fault describer.
#pragma once

#include <windows.h>

namespace standin::win {

// Starts `main(param)` on a new thread and returns once the thread runs its
// own code. A new thread first takes the loader lock to tell the libraries
// it started, the plug-in among them once it is loaded: started late, it
// would wait behind a plug-in's DllMain that holds the lock (hanging, or
// parked by a fault), and the plug-in's DllMain would be told of it on some
// runs and not on others. Null when the thread could not be started.
HANDLE startRunningThread(LPTHREAD_START_ROUTINE main, void* param, DWORD* id = nullptr);

}  // namespace standin::win

#pragma once

// The storage behind the plug-in's thread-local variables, the C++ runtime's
// per-thread exception state among them. The plug-in keeps it itself, so that
// an unload can give back every thread's storage and the TLS index it uses.

// Gives back the calling thread's storage; for a thread that ends.
void releaseThreadStorage();

// Gives back every thread's storage and the TLS index; for the unload, once
// nothing in the library runs any more. A later use would start afresh.
void releaseAllThreadStorage();

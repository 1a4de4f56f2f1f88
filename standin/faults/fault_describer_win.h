// A thread of the stand-in's, started before the plug-in is loaded, that
// tells the faults the faulting threads only copied (fault_copy_win.h): it
// may allocate, read the loader's list and walk stacks, which the faulting
// thread, holding who knows what, may not.
#pragma once

namespace standin::win {

void startFaultDescriber();
bool onDescriberThread();

}  // namespace standin::win

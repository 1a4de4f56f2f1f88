#pragma once

// At process exit the other threads have been cut off wherever they were,
// perhaps holding a lock the release would wait for, and the system takes
// back everything anyway: the unload's release is skipped.
void skipRuntimeReleaseAtProcessExit();

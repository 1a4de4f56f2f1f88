#include "core/library_entry.h"

#include "core/key_state.h"
#include "core/script_entry.h"

HostBool handleLibraryNotification(HostModule module, std::uint32_t reason) {
  if (reason == kProcessAttach) {
    scriptRegister(module, scriptEntry);
    keyboardHandlerRegister(keyboardHandler);
  } else if (reason == kProcessDetach) {
    // The host's reload key unloads and loads plug-ins again: without these
    // the host would go on calling into an unloaded library.
    scriptUnregister(module);
    keyboardHandlerUnregister(keyboardHandler);
  }
  return 1;
}

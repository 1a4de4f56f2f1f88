// The script loop and DllMain that most test plug-ins share: the script plays
// the plug-in's frame once in every frame, and DllMain registers the script
// (and a keyboard handler, where there is one) at attach and unregisters both
// at detach. The kit's examples keep theirs written out: they are read alone.
#pragma once

#include <windows.h>

#include "script_host.h"

namespace test_plugin {

// A script that plays `Frame` in every frame, from the first.
template <void (*Frame)()>
void everyFrame() {
  for (;;) {
    Frame();
    scriptWait(0);
  }
}

inline BOOL registerAtAttach(HINSTANCE module, DWORD reason, ScriptEntryFunction script,
                             KeyboardHandlerFunction onKey = nullptr) {
  if (reason == DLL_PROCESS_ATTACH) {
    scriptRegister(module, script);
    if (onKey) keyboardHandlerRegister(onKey);
  } else if (reason == DLL_PROCESS_DETACH) {
    scriptUnregister(module);
    if (onKey) keyboardHandlerUnregister(onKey);
  }
  return TRUE;
}

}  // namespace test_plugin

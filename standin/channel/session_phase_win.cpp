#include "channel/session_phase_win.h"

namespace standin::win {

namespace {
Progress g_progress;
}  // namespace

Progress& progress() { return g_progress; }

void setPhase(const char* phase) {
  g_progress.phase = phase;
  copyText(channel().phase, phase);
}

}  // namespace standin::win

#pragma once

// Runs one frame's feature work. An exception that leaves it is logged and
// shown on screen, and never leaves this function: an exception that reached
// the host would take the game down with it.
void runTrapped(void (*work)()) noexcept;

// Shows one line of text on the game's screen. `text` must stay valid until
// the call returns.
void showNotice(const char* text);

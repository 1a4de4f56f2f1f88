#pragma once

// Runs one frame's feature work; an exception that leaves it is logged and
// shown on screen, and never leaves this function.
void runTrapped(void (*work)());

// Shows one line of text on the game's screen.
void showNotice(const char* text);

#pragma once

// The script the host runs on its fiber: a wait, startUp, then runFrame for ever.
void scriptEntry();

// Everything the plug-in does once before the first frame.
void startUp();

// One pass of the main loop, ending in the end-of-frame wait.
void runFrame();

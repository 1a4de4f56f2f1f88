#pragma once

// Whether the alternative camera is applied in frames that pass the gate.
// On at load; switched only by alternativeCameraStep, never reset or saved.
extern bool alternativeCameraOn;

void alternativeCameraStep();

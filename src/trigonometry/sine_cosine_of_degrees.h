#pragma once

// Sine and cosine of an angle given in degrees, taken in double precision of
// double(degrees) * 0.017453292519943295. They are the plug-in's own so that
// they come out the same to the last bit with every compiler and C runtime:
// runtimes differ in the last bits of sin and cos, and one widely used runtime
// reduces the argument with a 66-bit pi, which loses most bits near the zeros
// (its cos of 90 degrees is off in the fifth digit). Those bits reach the game.
struct SineCosine {
  double sine;
  double cosine;
};

// Each is the double nearest the exact value. A quick road answers about 99
// calls in 100 (998 in 1000 where the processor fuses a multiply and an
// add) and vouches for its last bits by a rounding test; the rest
// take an accurate road, which vouches the same way for every float angle
// tried; a 256-bit road stands behind it. No allocations.
SineCosine sineCosineOfDegrees(float degrees);

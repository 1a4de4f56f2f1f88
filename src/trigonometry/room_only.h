#pragma once

// The roads, their tables and reductions are the trigonometry's own: the
// plug-in sees sine_cosine_of_degrees.h alone. The room's files are built
// with this definition, and its tests and the bench get it from the target
// vantomere_trigonometry_internal.
#ifndef VANTOMERE_TRIGONOMETRY_INSIDE
#error "a header private to the trigonometry: include trigonometry/sine_cosine_of_degrees.h"
#endif

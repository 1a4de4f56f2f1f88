#pragma once

#include "host/native_slots.h"

// Float arithmetic on the three components only; the upper halves of the
// result's slots are zero.
HostVector3 scaleVector(const HostVector3& v, float s);
HostVector3 addVectors(const HostVector3& a, const HostVector3& b);
HostVector3 crossProduct(const HostVector3& a, const HostVector3& b);

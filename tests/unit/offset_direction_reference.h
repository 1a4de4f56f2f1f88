#pragma once

#include <cmath>

#include "host/native_slots.h"

// The offset direction worked out independently of the plug-in's code:
// trigonometry in long double rounded to double, and every product, rounding
// and difference through a volatile, so nothing is fused or kept wider than
// double for F and float for the cross product.
inline HostVector3 expectedOffsetDirection(float rotationY, float rotationZ, const float (&a)[3]) {
  const double k = 0.017453292519943295;
  volatile double pitch = static_cast<double>(rotationY) * k;
  volatile double heading = static_cast<double>(rotationZ) * k;
  volatile double cosPitch = static_cast<double>(std::cos(static_cast<long double>(pitch)));
  volatile double sinPitch = static_cast<double>(std::sin(static_cast<long double>(pitch)));
  volatile double cosHeading = static_cast<double>(std::cos(static_cast<long double>(heading)));
  volatile double sinHeading = static_cast<double>(std::sin(static_cast<long double>(heading)));
  volatile double wideX = cosHeading * cosPitch;
  volatile double wideY = sinHeading * cosPitch;
  volatile float fx = static_cast<float>(wideX);
  volatile float fy = static_cast<float>(wideY);
  volatile float fz = -static_cast<float>(sinPitch);
  volatile float p1 = fy * a[2], p2 = fz * a[1], p3 = fz * a[0], p4 = fx * a[2], p5 = fx * a[1], p6 = fy * a[0];
  HostVector3 expected{};
  expected.x = p1 - p2;
  expected.y = p3 - p4;
  expected.z = p5 - p6;
  return expected;
}

// The gore shot's start point B + 0.15 * D, each product and sum in float.
inline HostVector3 expectedShotStart(const float (&bone)[3], const HostVector3& direction) {
  volatile float sx = 0.15f * direction.x, sy = 0.15f * direction.y, sz = 0.15f * direction.z;
  HostVector3 start{};
  start.x = bone[0] + sx;
  start.y = bone[1] + sy;
  start.z = bone[2] + sz;
  return start;
}

#include "features/offset_direction.h"

#include "features/vector_ops.h"
#include "host/native_call.h"
#include "trigonometry/sine_cosine_of_degrees.h"

namespace {

constexpr std::uint64_t kEntityVectorNative = 0x2412D9C05BB09B97;
constexpr std::uint64_t kEntityRotationNative = 0xE09CAF86C32CB48F;
constexpr std::int32_t kRotationOrder = 2;

// The unit vector of heading rotationZ and elevation -rotationY, worked out
// in double from the float angles and rounded to float once per component.
HostVector3 headingDirection(float rotationY, float rotationZ) {
  const SineCosine pitch = sineCosineOfDegrees(rotationY);
  const SineCosine heading = sineCosineOfDegrees(rotationZ);
  const double x = heading.cosine * pitch.cosine;
  const double y = heading.sine * pitch.cosine;
  HostVector3 direction{};
  direction.x = static_cast<float>(x);
  direction.y = static_cast<float>(y);
  direction.z = static_cast<float>(-pitch.sine);
  return direction;
}

}  // namespace

HostVector3 entityOffsetDirection(GameHandle entity) {
  // Copied out before the next call overwrites the result slots.
  const HostVector3 vector = NativeCall(kEntityVectorNative).pushHandle(entity).perform().asVector();
  const HostVector3 rotation =
      NativeCall(kEntityRotationNative).pushHandle(entity).pushInt(kRotationOrder).perform().asVector();
  return crossProduct(headingDirection(rotation.y, rotation.z), vector);
}

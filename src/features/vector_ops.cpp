#include "features/vector_ops.h"

namespace {

HostVector3 vectorOf(float x, float y, float z) {
  HostVector3 v{};
  v.x = x;
  v.y = y;
  v.z = z;
  return v;
}

// a*b - c*d with each product rounded on its own: fusing a product into the
// subtraction would change the last bit of what reaches the game.
float productDifference(float a, float b, float c, float d) {
  const float left = a * b;
  const float right = c * d;
  return left - right;
}

}  // namespace

HostVector3 scaleVector(const HostVector3& v, float s) { return vectorOf(s * v.x, s * v.y, s * v.z); }

HostVector3 addVectors(const HostVector3& a, const HostVector3& b) {
  return vectorOf(a.x + b.x, a.y + b.y, a.z + b.z);
}

HostVector3 crossProduct(const HostVector3& a, const HostVector3& b) {
  return vectorOf(productDifference(a.y, b.z, a.z, b.y), productDifference(a.z, b.x, a.x, b.z),
                  productDifference(a.x, b.y, a.y, b.x));
}

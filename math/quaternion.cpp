#include "math/quaternion.h"

#include <cmath>

void Quaternion::FromAxisAngle(const Vector3& axis, float degrees) {
  // 1/180 as a float and 3.1415 for pi, as the game has always turned.
  float half = degrees * 0.0055555557f * 3.1415f * 0.5f;
  float s = std::sin(half);
  x = axis.x * s;
  y = axis.y * s;
  z = axis.z * s;
  w = std::cos(half);
}

Quaternion Quaternion::operator*(const Quaternion& b) const {
  const Quaternion& a = *this;
  Quaternion r;
  r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
  r.x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
  r.y = a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x;
  r.z = a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w;
  return r;
}

void Quaternion::ToMatrix(float m[16]) const {
  m[0] = 1.0f - 2.0f * (y * y + z * z);
  m[1] = 2.0f * (x * y + w * z);
  m[2] = 2.0f * (x * z - w * y);
  m[3] = 0.0f;
  m[4] = 2.0f * (x * y - w * z);
  m[5] = 1.0f - 2.0f * (x * x + z * z);
  m[6] = 2.0f * (y * z + w * x);
  m[7] = 0.0f;
  m[8] = 2.0f * (x * z + w * y);
  m[9] = 2.0f * (y * z - w * x);
  m[10] = 1.0f - 2.0f * (x * x + y * y);
  m[11] = 0.0f;
  m[12] = 0.0f;
  m[13] = 0.0f;
  m[14] = 0.0f;
  m[15] = 1.0f;
}

Vector3 ViewDirection(float pitch, float yaw) {
  Quaternion pitchRotation;
  Quaternion yawRotation;
  pitchRotation.FromAxisAngle(Vector3(1.0f, 0.0f, 0.0f), pitch);
  yawRotation.FromAxisAngle(Vector3(0.0f, 1.0f, 0.0f), yaw);
  float m[16];
  pitchRotation.ToMatrix(m);
  const float y = m[9];
  (yawRotation * pitchRotation).ToMatrix(m);
  return Vector3(m[8], y, m[10]);
}

#pragma once
#include "math/vector3.h"

struct Quaternion {
  float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;

  // The axis is used as given, not normalised.
  void FromAxisAngle(const Vector3& axis, float degrees);
  // Hamilton product.
  Quaternion operator*(const Quaternion& b) const;
  // Column-major, as glMultMatrixf takes it; the quaternion is not normalised.
  void ToMatrix(float m[16]) const;
};

// Where a view of these angles (degrees) looks, in the camera's frame, whose
// z axis is the world's mirrored: (sin yaw cos pitch, -sin pitch,
// cos yaw cos pitch), worked out with the view's own rotations so that it
// agrees to the bit with the direction the camera draws with.
Vector3 ViewDirection(float pitch, float yaw);

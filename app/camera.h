#pragma once
#include "math/quaternion.h"
#include "math/vector3.h"

// The eye: a position and three angles in degrees, turned into the view with
// quaternions.
class Camera {
 public:
  Camera() = default;
  ~Camera();
  Camera(const Camera&) = delete;
  Camera& operator=(const Camera&) = delete;

  // Multiplies the view onto the current GL matrix and refreshes `direction`.
  void Apply();
  // The rotation part of the view, without GL; also rebuilds the three
  // rotations and `direction`.
  void BuildView(float view[16]);
  // Looks level and straight ahead again, as a new game starts.
  void ResetAngles() { pitch = yaw = roll = 0.0f; }
  void AddPitch(float degrees);
  void AddRoll(float degrees);

  Vector3 position{0, 0, 0};
  Vector3 direction{0, 0, 0};
  float pitch = 0.0f;
  float yaw = 0.0f;
  float roll = 0.0f;
  Quaternion pitchRotation;
  Quaternion yawRotation;
  Quaternion rollRotation;
};

extern Camera* gCamera;

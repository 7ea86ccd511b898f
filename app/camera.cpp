#include "app/camera.h"

#include <GL/gl.h>

Camera* gCamera = nullptr;

void Camera::BuildView(float view[16]) {
  pitchRotation.FromAxisAngle(Vector3(1.0f, 0.0f, 0.0f), pitch);
  yawRotation.FromAxisAngle(Vector3(0.0f, 1.0f, 0.0f), yaw);
  rollRotation.FromAxisAngle(Vector3(0.0f, 0.0f, 1.0f), roll);
  (rollRotation * (pitchRotation * yawRotation)).ToMatrix(view);

  direction = ViewDirection(pitch, yaw);
}

Camera::~Camera() {
  // Nothing may steer by a camera that is gone.
  if (gCamera == this) gCamera = nullptr;
}

void Camera::Apply() {
  float view[16];
  BuildView(view);
  glMultMatrixf(view);
  glTranslatef(-position.x, -position.y, -position.z);
}

void Camera::AddPitch(float degrees) {
  pitch += degrees;
  if (pitch > 90.0f) pitch = 90.0f;
  if (pitch < -90.0f) pitch = -90.0f;
}

void Camera::AddRoll(float degrees) {
  roll += degrees;
  if (roll > 10.0f) roll = 10.0f;
  if (roll < -10.0f) roll = -10.0f;
}

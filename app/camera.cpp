#include "app/camera.h"

Camera* gCamera = nullptr;

void Quaternion::FromAxisAngle(const Vector3&, float) {}
Quaternion Quaternion::operator*(const Quaternion& b) const { return b; }
void Quaternion::ToMatrix(float*) const {}
void Camera::Apply() {}
void Camera::AddPitch(float) {}
void Camera::AddRoll(float) {}

#include <gtest/gtest.h>

#include <cmath>

#include "app/camera.h"
#include "tests/support/gl_context.h"

namespace {

// Degrees to radians the way the camera converts them.
float Radians(float degrees) { return degrees * 0.0055555557f * 3.1415f; }

void ExpectQuaternion(const Quaternion& q, float x, float y, float z, float w) {
  EXPECT_NEAR(q.x, x, 1e-6f);
  EXPECT_NEAR(q.y, y, 1e-6f);
  EXPECT_NEAR(q.z, z, 1e-6f);
  EXPECT_NEAR(q.w, w, 1e-6f);
}

TEST(Quaternion, FromAxisAngleUsesTheGamesValueOfPi) {
  Quaternion q;
  q.FromAxisAngle(Vector3(0, 1, 0), 180.0f);
  // With 3.1415 for pi half a turn leaves w a little above 0.
  float half = 180.0f * 0.0055555557f * 3.1415f * 0.5f;
  ExpectQuaternion(q, 0.0f, std::sin(half), 0.0f, std::cos(half));
  EXPECT_GT(q.w, 4e-5f);
}

TEST(Quaternion, AxisIsNotNormalised) {
  Quaternion q;
  q.FromAxisAngle(Vector3(0, 0, 2), 60.0f);
  float half = Radians(60.0f) * 0.5f;
  ExpectQuaternion(q, 0.0f, 0.0f, 2.0f * std::sin(half), std::cos(half));
}

TEST(Quaternion, ProductIsHamiltons) {
  Quaternion i{1, 0, 0, 0}, j{0, 1, 0, 0};
  ExpectQuaternion(i * j, 0, 0, 1, 0);   // ij = k
  ExpectQuaternion(j * i, 0, 0, -1, 0);  // ji = -k
  ExpectQuaternion(i * i, 0, 0, 0, -1);
  Quaternion a{0.1f, 0.2f, 0.3f, 0.9f}, b{-0.4f, 0.5f, 0.2f, 0.7f};
  Quaternion r = a * b;
  EXPECT_NEAR(r.w, 0.9f * 0.7f + 0.04f - 0.1f - 0.06f, 1e-6f);
  EXPECT_NEAR(r.x, 0.9f * -0.4f + 0.1f * 0.7f + 0.2f * 0.2f - 0.3f * 0.5f, 1e-6f);
}

TEST(Quaternion, MatrixIsColumnMajor) {
  Quaternion q;
  q.FromAxisAngle(Vector3(0, 0, 1), 90.0f);
  float m[16];
  q.ToMatrix(m);
  // A quarter turn about z takes x to y: column 0 is (0, 1, 0).
  EXPECT_NEAR(m[0], 0.0f, 1e-4f);
  EXPECT_NEAR(m[1], 1.0f, 1e-4f);
  EXPECT_NEAR(m[4], -1.0f, 1e-4f);
  EXPECT_FLOAT_EQ(m[10], 1.0f);
  for (int k : {3, 7, 11, 12, 13, 14}) EXPECT_EQ(m[k], 0.0f) << k;
  EXPECT_EQ(m[15], 1.0f);
}

TEST(Camera, PitchIsClampedToStraightUpAndDown) {
  struct Case {
    float from, step, to;
  };
  for (Case c : {Case{85, 20, 90}, Case{-89, -5, -90}, Case{10, -15, -5}, Case{90, 0, 90}}) {
    Camera camera;
    camera.pitch = c.from;
    camera.AddPitch(c.step);
    EXPECT_FLOAT_EQ(camera.pitch, c.to) << c.from << " + " << c.step;
  }
}

TEST(Camera, RollIsClampedToTenDegrees) {
  Camera camera;
  camera.AddRoll(15.0f);
  EXPECT_FLOAT_EQ(camera.roll, 10.0f);
  camera.AddRoll(-25.0f);
  EXPECT_FLOAT_EQ(camera.roll, -10.0f);
  camera.AddRoll(3.0f);
  EXPECT_FLOAT_EQ(camera.roll, -7.0f);
}

TEST(Camera, ZeroAnglesGiveTheIdentityLookingDownZ) {
  Camera camera;
  float view[16];
  camera.BuildView(view);
  for (int k = 0; k < 16; ++k) EXPECT_FLOAT_EQ(view[k], k % 5 == 0 ? 1.0f : 0.0f) << k;
  EXPECT_FLOAT_EQ(camera.direction.x, 0.0f);
  EXPECT_FLOAT_EQ(camera.direction.y, 0.0f);
  EXPECT_FLOAT_EQ(camera.direction.z, 1.0f);
}

TEST(Camera, YawIsNotWrapped) {
  Camera camera;
  camera.yaw = 355.0f;
  camera.yaw += 10.0f;
  float view[16];
  camera.BuildView(view);
  EXPECT_FLOAT_EQ(camera.yaw, 365.0f);
  EXPECT_NEAR(camera.direction.x, std::sin(Radians(365.0f)), 1e-5f);
}

// The direction follows the closed formula, ignores roll, and, with its z
// mirrored, is the way the view looks (the view's -z axis in the world).
TEST(Camera, DirectionMatchesTheViewForASpreadOfAngles) {
  for (float pitch : {-90.0f, -60.0f, -10.0f, 0.0f, 30.0f, 89.0f}) {
    for (float yaw : {-720.0f, -135.0f, 0.0f, 45.0f, 180.0f, 400.0f}) {
      for (float roll : {0.0f, 7.0f}) {
        SCOPED_TRACE(testing::Message() << pitch << " " << yaw << " " << roll);
        Camera camera;
        camera.pitch = pitch;
        camera.yaw = yaw;
        camera.roll = roll;
        float view[16];
        camera.BuildView(view);
        float p = Radians(pitch), y = Radians(yaw);
        EXPECT_NEAR(camera.direction.x, std::sin(y) * std::cos(p), 1e-4f);
        EXPECT_NEAR(camera.direction.y, -std::sin(p), 1e-4f);
        EXPECT_NEAR(camera.direction.z, std::cos(y) * std::cos(p), 1e-4f);
        EXPECT_NEAR(camera.direction.Length(), 1.0f, 1e-4f);
        if (roll == 0.0f) {
          EXPECT_NEAR(camera.direction.x, -view[2], 1e-4f);
          EXPECT_NEAR(camera.direction.y, -view[6], 1e-4f);
          EXPECT_NEAR(camera.direction.z, view[10], 1e-4f);
        }
      }
    }
  }
}

TEST(Camera, RollTurnsTheViewAboutTheLineOfSight) {
  Camera camera;
  camera.roll = 10.0f;
  float view[16];
  camera.BuildView(view);
  EXPECT_NEAR(view[1], std::sin(Radians(10.0f)), 1e-5f);
  EXPECT_FLOAT_EQ(view[10], 1.0f);
}

TEST(CameraGl, ApplyMultipliesTheViewAndMovesToTheEye) {
  EnsureGlContext();
  Camera camera;
  camera.position = Vector3(1, 2, 3);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  camera.Apply();
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, -3, 1};
  for (int k = 0; k < 16; ++k) EXPECT_FLOAT_EQ(m[k], expected[k]) << k;
  EXPECT_FLOAT_EQ(camera.direction.z, 1.0f);

  camera.yaw = 90.0f;
  camera.position = Vector3(0, 0, 0);
  glLoadIdentity();
  camera.Apply();
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  float view[16];
  camera.BuildView(view);
  for (int k = 0; k < 16; ++k) EXPECT_FLOAT_EQ(m[k], view[k]) << k;
}

}  // namespace

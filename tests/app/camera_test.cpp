#include <gtest/gtest.h>

#include <cmath>

#include "app/camera.h"

namespace {

// Degrees to radians the way the camera converts them.
float Radians(float degrees) { return degrees * 0.0055555557f * 3.1415f; }

TEST(Camera, PitchIsClampedToStraightUpAndDownAndRollToTenDegrees) {
  struct Case {
    float from, step, to;
  };
  for (Case c : {Case{85, 20, 90}, Case{-89, -5, -90}, Case{10, -15, -5}, Case{90, 0, 90}}) {
    Camera camera;
    camera.pitch = c.from;
    camera.AddPitch(c.step);
    EXPECT_FLOAT_EQ(camera.pitch, c.to) << c.from << " + " << c.step;
  }
  Camera camera;
  for (Case c : {Case{0, 15, 10}, Case{10, -25, -10}, Case{-10, 3, -7}}) {
    camera.AddRoll(c.step);
    EXPECT_FLOAT_EQ(camera.roll, c.to) << c.from << " + " << c.step;
  }
}

// The direction follows the closed formula (yaw past 360 unwrapped), ignores roll, and, with its z
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
        if (roll == 0.0f) {
          EXPECT_NEAR(camera.direction.x, -view[2], 1e-4f);
          EXPECT_NEAR(camera.direction.y, -view[6], 1e-4f);
          EXPECT_NEAR(camera.direction.z, view[10], 1e-4f);
        }
      }
    }
  }
}

}  // namespace

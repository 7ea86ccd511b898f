#include "app/video.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/support/gl_context.h"

namespace {

struct ScreenSize {
  int width, height, halfWidth, halfHeight;
};

class Video : public ::testing::Test {
 protected:
  void SetUp() override { EnsureGlContext(); }
  void TearDown() override { SetScreenSize(1024, 768); }
};

TEST_F(Video, ScreenSizeKeepsHalvesAndViewportInStep) {
  for (ScreenSize s : {ScreenSize{640, 480, 320, 240}, ScreenSize{1023, 767, 511, 383}}) {
    SetScreenSize(s.width, s.height);
    EXPECT_EQ(gHalfWidth, s.halfWidth);
    EXPECT_EQ(gHalfHeight, s.halfHeight);
    EXPECT_FLOAT_EQ(gScreenWidthF, static_cast<float>(s.width));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], s.width);
    EXPECT_EQ(viewport[3], s.height);
  }
}

TEST_F(Video, ZeroHeightIsTakenAsOneRow) {
  // The perspective's aspect is then the width itself; its x scale is
  // 1 / (aspect * tan(22.5 degrees)).
  for (double farPlane : {100000.0, 10000.0}) {
    SetPerspective(800, 0, farPlane);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5] / projection[0], 800.0, 0.01);
  }
}

TEST_F(Video, StandardLightIsADirectionalWhiteLight) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  ApplyStandardLight();
  float position[4], ambient[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, position);
  glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  EXPECT_FLOAT_EQ(position[1], 8.0f);
  EXPECT_FLOAT_EQ(position[3], 0.0f);
  EXPECT_FLOAT_EQ(ambient[0], 0.5f);
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}

}  // namespace

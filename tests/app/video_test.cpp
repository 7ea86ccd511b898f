#include "app/video.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/options.h"
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

TEST(VideoSizes, OfferedSizesWithTheStandardOnesSmallestFirst) {
  SDL_Rect big{0, 0, 1920, 1080}, std{0, 0, 800, 600}, small{0, 0, 320, 240}, odd{0, 0, 720, 480};
  SDL_Rect* offered[] = {&big, &std, &small, &odd, nullptr};
  SDL_Rect* none[] = {nullptr};
  using Sizes = std::vector<VideoSize>;
  const Sizes standard = {{640, 480}, {800, 600}, {1024, 768}};
  EXPECT_EQ(VideoSizesFrom(offered), (Sizes{{640, 480}, {720, 480}, {800, 600}, {1024, 768},
                                            {1920, 1080}}));
  EXPECT_EQ(VideoSizesFrom(none), standard);
  EXPECT_EQ(VideoSizesFrom(nullptr), standard);
  EXPECT_EQ(VideoSizesFrom(reinterpret_cast<SDL_Rect**>(-1)), standard);
}

TEST(VideoSizes, NextSizeWrapsRound) {
  const std::vector<VideoSize> sizes = {{640, 480}, {800, 600}, {1024, 768}};
  const struct {
    VideoSize from, to;
  } steps[] = {{{640, 480}, {800, 600}},  {{1024, 768}, {640, 480}},
               {{700, 500}, {800, 600}},  // not offered: the next larger
               {{2000, 1000}, {640, 480}}};
  for (const auto& step : steps) {
    VideoSize next = NextVideoSize(sizes, step.from);
    EXPECT_EQ(next.width, step.to.width) << step.from.width;
    EXPECT_EQ(next.height, step.to.height) << step.from.width;
  }
  EXPECT_EQ(NextVideoSize({}, {800, 600}).width, 800);
}

// The mode changes with the context kept: textures, display lists and the
// fixed state made at start-up are still there at the new size.
TEST_F(Video, ModeChangeKeepsTheGlContext) {
  gOptions.window = true;
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const uint8_t red[4] = {255, 0, 0, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, red);
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glEndList();
  glEnable(GL_CULL_FACE);
  for (ScreenSize s : {ScreenSize{800, 600, 400, 300}, ScreenSize{640, 480, 320, 240},
                       ScreenSize{1024, 768, 512, 384}}) {
    ASSERT_TRUE(ChangeVideoMode(s.width, s.height));
    EXPECT_EQ(SDL_GetVideoSurface()->w, s.width);
    EXPECT_EQ(gHalfWidth, s.halfWidth);
    EXPECT_EQ(gHalfHeight, s.halfHeight);
    EXPECT_TRUE(glIsTexture(texture)) << s.width;
    EXPECT_TRUE(glIsList(list)) << s.width;
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << s.width;
    // The new picture is drawn in full: its top-right pixel takes the clear.
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(ReadPixel(s.width - 1, s.height - 1)[1], 255) << s.width;
  }
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glDisable(GL_CULL_FACE);
  glDeleteLists(list, 1);
  glDeleteTextures(1, &texture);
  gOptions.window = false;
}

TEST_F(Video, AModeThatCannotBeSetKeepsTheOldOne) {
  gOptions.window = true;
  EXPECT_FALSE(ChangeVideoMode(-5, 100));
  EXPECT_EQ(gScreenWidth, 1024);
  EXPECT_EQ(SDL_GetVideoSurface()->w, 1024);
  gOptions.window = false;
}

}  // namespace

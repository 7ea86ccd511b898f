#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/fonts.h"
#include "app/game.h"
#include "level/collision.h"
#include "tests/support/gl_context.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// The whole back buffer, bottom row first.
class Frame {
 public:
  Frame() : rgba_(kWidth * kHeight * 4) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba_.data());
  }
  const uint8_t* At(int x, int y) const { return &rgba_[(y * kWidth + x) * 4]; }
  bool White(int x, int y) const {
    return At(x, y)[0] == 255 && At(x, y)[1] == 255 && At(x, y)[2] == 255;
  }
  bool Green(int x, int y) const {
    return At(x, y)[0] == 0 && At(x, y)[1] == 255 && At(x, y)[2] == 0;
  }
  int CountWhite(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += White(x, y);
    }
    return n;
  }
  bool GreenInColumn(int x, int y0, int y1) const {
    for (int y = y0; y <= y1; ++y) {
      if (Green(x, y)) return true;
    }
    return false;
  }
  bool GreenInRow(int y, int x0, int x1) const {
    for (int x = x0; x <= x1; ++x) {
      if (Green(x, y)) return true;
    }
    return false;
  }
  bool SameRegion(const Frame& other, int x0, int y0, int x1, int y1) const {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        for (int c = 0; c < 3; ++c) {
          if (At(x, y)[c] != other.At(x, y)[c]) return false;
        }
      }
    }
    return true;
  }

 private:
  std::vector<uint8_t> rgba_;
};

class Hud : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    ASSERT_TRUE(BuildBitmapFont(game.hudFont, "Impact", 40)) << LastFontError();
    game.SetProjection(kWidth, kHeight);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  void TearDown() override { DeleteFont(game.hudFont); }

  // The text as the HUD would print it, alone on a cleared screen.
  Frame Reference(float x, float y, const char* text) {
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);  // the raster colour is lit otherwise
    glDisable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -1.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2f(x, y);
    PrintText(game.hudFont, "%s", text);
    return Frame();
  }

  Game game;
};

// One unit in front of the eye the 45-degree view spans about +-0.55 by
// +-0.41, so both texts sit in the top 80 rows.
constexpr int kTextBottom = 690;

TEST_F(Hud, FrameRateUpperRightPolygonCountUpperLeftCrosshairInTheMiddle) {
  game.fps = 59.6f;
  gPolygonsTested = 1234;
  game.DrawHud();
  Frame hud;
  EXPECT_GT(hud.CountWhite(kWidth / 2 + 300, kTextBottom, kWidth, kHeight), 150);
  EXPECT_GT(hud.CountWhite(0, kTextBottom, kWidth / 2 - 50, kHeight), 300);
  EXPECT_EQ(hud.CountWhite(0, 0, kWidth, kTextBottom), 0);
  // A horizontal line about 139 pixels wide and a vertical one about 93 high.
  EXPECT_TRUE(hud.GreenInColumn(512 + 60, 380, 388));
  EXPECT_TRUE(hud.GreenInColumn(512 - 60, 380, 388));
  EXPECT_FALSE(hud.GreenInColumn(512 + 80, 380, 388));
  EXPECT_TRUE(hud.GreenInRow(384 + 40, 508, 516));
  EXPECT_TRUE(hud.GreenInRow(384 - 40, 508, 516));
  EXPECT_FALSE(hud.GreenInRow(384 + 55, 508, 516));

  EXPECT_TRUE(hud.SameRegion(Reference(0.375f, 0.35f, "FPS: 60"), kWidth / 2, kTextBottom, kWidth,
                             kHeight));
  EXPECT_TRUE(hud.SameRegion(Reference(-0.525f, 0.35f, "Testing 1234 polygons."), 0, kTextBottom,
                             kWidth / 2, kHeight));
}

TEST_F(Hud, NothingCountedShowsZeros) {
  game.fps = 0.0f;
  gPolygonsTested = 0;
  game.DrawHud();
  Frame hud;
  EXPECT_TRUE(
      hud.SameRegion(Reference(0.375f, 0.35f, "FPS: 0"), kWidth / 2, kTextBottom, kWidth, kHeight));
  EXPECT_TRUE(hud.SameRegion(Reference(-0.525f, 0.35f, "Testing 0 polygons."), 0, kTextBottom,
                             kWidth / 2, kHeight));
}

TEST_F(Hud, LeavesTexturingAndLightingOnAndTheColourWhite) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  game.DrawHud();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0], 1.0f);
  EXPECT_EQ(colour[1], 1.0f);
  EXPECT_EQ(colour[2], 1.0f);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
}

}  // namespace

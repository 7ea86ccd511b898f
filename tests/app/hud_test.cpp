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
  Frame() : rgba_(ReadPixels(0, 0, kWidth, kHeight)) {}
  bool Is(int x, int y, uint8_t r, uint8_t g, uint8_t b) const {
    const uint8_t* p = &rgba_[(y * kWidth + x) * 4];
    return p[0] == r && p[1] == g && p[2] == b;
  }
  int CountWhite(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += Is(x, y, 255, 255, 255);
    }
    return n;
  }
  // Whether a green pixel lies within 4 pixels of (x, y) along the other axis.
  bool GreenNear(int x, int y, bool alongColumn) const {
    for (int d = -4; d <= 4; ++d) {
      if (alongColumn ? Is(x, y + d, 0, 255, 0) : Is(x + d, y, 0, 255, 0)) return true;
    }
    return false;
  }

 private:
  std::vector<uint8_t> rgba_;
};

TEST(Hud, FrameRateUpperRightPolygonCountUpperLeftCrosshairInTheMiddle) {
  EnsureGlContext();
  Game game;
  std::string error;
  ASSERT_TRUE(BuildBitmapFont(game.hudFont, "Impact", 40, error)) << error;
  game.SetProjection(kWidth, kHeight);
  glDisable(GL_DEPTH_TEST);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  game.fps = 59.6f;
  gPolygonsTested = 1234;
  game.DrawHud();
  Frame hud;
  DeleteFont(game.hudFont);

  // Both texts sit in the top 80 rows: "FPS: 60" right, the polygon count left.
  constexpr int kTextBottom = 690;
  EXPECT_GT(hud.CountWhite(kWidth / 2 + 300, kTextBottom, kWidth, kHeight), 150);
  EXPECT_GT(hud.CountWhite(0, kTextBottom, kWidth / 2 - 50, kHeight), 300);
  EXPECT_EQ(hud.CountWhite(0, 0, kWidth, kTextBottom), 0);
  // A horizontal line about 139 pixels wide and a vertical one about 93 high.
  EXPECT_TRUE(hud.GreenNear(512 + 60, 384, true));
  EXPECT_TRUE(hud.GreenNear(512 - 60, 384, true));
  EXPECT_FALSE(hud.GreenNear(512 + 80, 384, true));
  EXPECT_TRUE(hud.GreenNear(512, 384 + 40, false));
  EXPECT_TRUE(hud.GreenNear(512, 384 - 40, false));
  EXPECT_FALSE(hud.GreenNear(512, 384 + 55, false));
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
}

}  // namespace

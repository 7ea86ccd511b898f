#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/options.h"
#include "app/video.h"
#include "level/collision.h"
#include "tests/support/gl_context.h"
#include "text/fonts.h"

namespace {

// The whole back buffer of a picture, bottom row first.
class Frame {
 public:
  Frame(int width, int height)
      : width_(width), height_(height), rgba_(ReadPixels(0, 0, width, height)) {}
  bool Is(int x, int y, uint8_t r, uint8_t g, uint8_t b) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    const uint8_t* p = &rgba_[(static_cast<size_t>(y) * width_ + x) * 4];
    return p[0] == r && p[1] == g && p[2] == b;
  }
  bool White(int x, int y) const { return Is(x, y, 255, 255, 255); }
  int CountWhite(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += White(x, y);
    }
    return n;
  }
  // Whether a green pixel lies within 2 pixels of (x, y) along the other axis.
  bool GreenNear(int x, int y, bool alongColumn) const {
    for (int d = -2; d <= 2; ++d) {
      if (alongColumn ? Is(x, y + d, 0, 255, 0) : Is(x + d, y, 0, 255, 0)) return true;
    }
    return false;
  }
  // The leftmost and rightmost columns holding white, or -1 when none do.
  std::pair<int, int> WhiteColumns() const {
    int left = -1;
    int right = -1;
    for (int x = 0; x < width_; ++x) {
      for (int y = 0; y < height_; ++y) {
        if (!White(x, y)) continue;
        if (left < 0) left = x;
        right = x;
        break;
      }
    }
    return {left, right};
  }

 private:
  int width_;
  int height_;
  std::vector<uint8_t> rgba_;
};

struct Size {
  int width, height;
};

// At every offered shape, from the smallest 4:3 to 16:9 and 5:4, the lines
// sit along the top inside the picture, the frame rate and time at the right
// edge and the polygon count, score and hull at the left, with the
// crosshair's arms about the centre as long, for the picture's height, as
// at 1024 x 768.
TEST(Hud, FitsEveryPictureWithTheCrosshairInTheMiddle) {
  EnsureGlContext();
  gOptions.window = true;
  for (Size s : {Size{640, 480}, Size{800, 600}, Size{1024, 768}, Size{1280, 720},
                 Size{1280, 1024}}) {
    SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
    ASSERT_TRUE(ChangeVideoMode(s.width, s.height));
    Game game;
    std::string error;
    ASSERT_TRUE(game.BuildHudFont(error)) << error;
    game.SetProjection(s.width, s.height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.fps = 1234.4f;
    gPolygonsTested = 123456;
    game.DrawHud();
    const Frame hud(s.width, s.height);
    DeleteFont(game.hudFont);

    // Text only in the top quarter, reaching neither side.
    const int textBottom = s.height - s.height / 4;
    EXPECT_EQ(hud.CountWhite(0, 0, s.width, textBottom), 0);
    const auto [left, right] = hud.WhiteColumns();
    EXPECT_GT(left, 2);
    EXPECT_LT(left, s.width / 20);
    EXPECT_LT(right, s.width - 3);
    EXPECT_GT(right, s.width - s.width / 20);
    // Lines on either side of the middle.
    EXPECT_GT(hud.CountWhite(0, textBottom, s.width / 3, s.height), 50);
    EXPECT_GT(hud.CountWhite(s.width * 2 / 3, textBottom, s.width, s.height), 50);

    const int cx = s.width / 2;
    const int cy = s.height / 2;
    const int armX = s.height * 69 / 768;  // 139 px wide, 93 high at 1024 x 768
    const int armY = s.height * 46 / 768;
    EXPECT_TRUE(hud.GreenNear(cx + armX - 3, cy, true));
    EXPECT_TRUE(hud.GreenNear(cx - armX + 3, cy, true));
    EXPECT_FALSE(hud.GreenNear(cx + armX + 6, cy, true));
    EXPECT_FALSE(hud.GreenNear(cx - armX - 6, cy, true));
    EXPECT_TRUE(hud.GreenNear(cx, cy + armY - 3, false));
    EXPECT_TRUE(hud.GreenNear(cx, cy - armY + 3, false));
    EXPECT_FALSE(hud.GreenNear(cx, cy + armY + 6, false));
  }
  ASSERT_TRUE(ChangeVideoMode(1024, 768));
  gOptions.window = false;
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
}

}  // namespace

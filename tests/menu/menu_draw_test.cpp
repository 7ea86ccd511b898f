#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/fonts.h"
#include "app/video.h"
#include "menu/menu_callbacks.h"
#include "menu/menu_system.h"
#include "tests/menu/menu_test_support.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr uint8_t kBackground[3] = {20, 30, 60};

// Counts of text-coloured pixels over a part of the back buffer.
struct Ink {
  int white = 0;
  int red = 0;
};

class MenuDrawing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    EnsureGlContext();
    std::string error;
    ASSERT_TRUE(BuildOutlineFont(font, "Impact", 12, 0.1f, metrics, error)) << error;
    gMenuFont = font;
    glGenTextures(1, &backgroundTexture);
    glBindTexture(GL_TEXTURE_2D, backgroundTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, kBackground);
    glBindTexture(GL_TEXTURE_2D, 0);
  }

  void SetUp() override {
    SetScreenSize(kWidth, kHeight);
    gMenuPage = kMenuPageMain;
    // The fixed state start-up leaves for every frame.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glDisable(GL_LIGHTING);
    menu = std::make_unique<MenuSystem>();
    std::string error;
    menu->Build(error);
    menu->background.glName = backgroundTexture;
    menu->SetGameInProgress(false);
  }
  void TearDown() override { gMenuPage = kMenuPageMain; }

  void PointAt(const MenuItem& item) {
    const MenuMouseState at = PointerInside(item);
    input.QueueMotion(at.mouseX, at.mouseY);
  }

  void ReadFrame() { frame = ReadPixels(0, 0, kWidth, kHeight); }

  // Ink between two points in menu coordinates.
  Ink InkIn(float left, float bottom, float right, float top) const {
    const int x0 = static_cast<int>((left + 0.75f) / 1.5f * kWidth);
    const int x1 = static_cast<int>((right + 0.75f) / 1.5f * kWidth);
    const int y0 = static_cast<int>((bottom + 0.75f) / 1.5f * kHeight);
    const int y1 = static_cast<int>((top + 0.75f) / 1.5f * kHeight);
    Ink ink;
    for (int y = std::max(y0, 0); y < std::min(y1, kHeight); ++y) {
      for (int x = std::max(x0, 0); x < std::min(x1, kWidth); ++x) {
        const uint8_t* p = &frame[(y * kWidth + x) * 4];
        ink.white += p[0] > 200 && p[1] > 200 && p[2] > 200;
        ink.red += p[0] > 200 && p[1] < 60 && p[2] < 60;
      }
    }
    return ink;
  }
  // Ink over a button's box: from its base line to the height of an 'a'.
  Ink InkOn(const MenuItem& i) const { return InkIn(i.boxLeft, i.boxBottom, i.boxRight, i.boxTop); }

  static inline uint32_t font = 0;
  static inline GLuint backgroundTexture = 0;
  ScriptedInput input;
  std::unique_ptr<MenuSystem> menu;
  std::vector<uint8_t> frame;
};

TEST_F(MenuDrawing, ButtonUnderThePointerIsRedAnotherAndHiddenOnesNot) {
  PointAt(*menu->playButton);
  menu->HandleInput();
  menu->Render();
  ReadFrame();
  const Ink play = InkOn(*menu->playButton);
  EXPECT_GT(play.red, 200);
  EXPECT_EQ(play.white, 0);
  const Ink quit = InkOn(*menu->quitButton);
  EXPECT_GT(quit.white, 100);
  EXPECT_EQ(quit.red, 0);
  // "Resume Game" is hidden without a game: its row shows only the background.
  const Ink resumeRow = InkOn(*menu->resumeButton);
  EXPECT_EQ(resumeRow.white + resumeRow.red, 0);
}

TEST_F(MenuDrawing, LabelAfterAHoveredButtonStaysWhite) {
  gMenuPage = kMenuPageVideo;
  PointAt(*menu->resolutionButton);
  menu->HandleInput();
  menu->Render();
  ReadFrame();
  EXPECT_GT(InkOn(*menu->resolutionButton).red, 100);
  const MenuLabel& label = *menu->resolutionLabel;
  const Ink ink = InkIn(label.x, label.y, label.x + 0.4f, label.y + 0.05f);
  EXPECT_GT(ink.white, 100);
  EXPECT_EQ(ink.red, 0);
}

}  // namespace

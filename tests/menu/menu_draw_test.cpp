#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/video.h"
#include "assets/static_assets.h"
#include "menu/menu_callbacks.h"
#include "menu/menu_system.h"
#include "tests/menu/menu_test_support.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"
#include "text/fonts.h"

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

// Where one item's text lands in a picture: its box of white pixels, in
// window pixels with y down, as a pointer gives them.
struct InkBox {
  int left = 0, top = 0, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

InkBox WhiteBox(const std::vector<uint8_t>& rgba, int width, int height) {
  InkBox box{width, height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      if (p[0] < 200 || p[1] < 200 || p[2] < 200) continue;
      const int top = height - 1 - y;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, top);
      box.bottom = std::max(box.bottom, top);
    }
  }
  return box;
}

class MenuAtEverySize : public MenuDrawing {
 protected:
  void SetUp() override {
    gOptions.window = true;
    MenuDrawing::SetUp();
  }
  void TearDown() override {
    ChangeVideoMode(kWidth, kHeight);
    gOptions.window = false;
    MenuDrawing::TearDown();
  }

  // The button drawn alone (every other item hidden or blank) at the current
  // size.
  InkBox DrawnAlone(MenuButton& only) {
    const std::string title = menu->titleLabel->text;
    menu->titleLabel->text.clear();
    std::vector<std::pair<MenuItem*, bool>> shown;
    for (MenuItem* item : menu->mainPage.Items()) {
      shown.emplace_back(item, item->visible);
      item->visible = item == &only;
    }
    menu->Render();
    const InkBox box = WhiteBox(ReadPixels(0, 0, gScreenWidth, gScreenHeight), gScreenWidth,
                                gScreenHeight);
    for (auto [item, visible] : shown) item->visible = visible;
    menu->titleLabel->text = title;
    return box;
  }
};

// At 4:3, 16:9, 5:4 and a smaller 4:3 every main-page button is hovered by
// a pointer at the middle of its drawn text and by no other, and the text
// keeps the proportions it has at 1024 x 768 (within 5 %).
TEST_F(MenuAtEverySize, EveryButtonIsHitWhereItIsDrawnWithItsProportions) {
  const struct {
    int width, height;
  } sizes[] = {{1024, 768}, {1280, 720}, {1280, 1024}, {800, 600}};
  float standardRatio = 0.0f;
  for (const auto& size : sizes) {
    ASSERT_TRUE(ChangeVideoMode(size.width, size.height));
    const std::string at = std::to_string(size.width) + "x" + std::to_string(size.height);
    for (MenuButton* button : {menu->playButton.get(), menu->optionsButton.get(),
                               menu->helpButton.get(), menu->aboutButton.get(),
                               menu->quitButton.get()}) {
      const InkBox box = DrawnAlone(*button);
      ASSERT_GT(box.Width(), 10) << button->text << " at " << at;
      ASSERT_GT(box.left, 0) << button->text << " cut at the left at " << at;
      ASSERT_LT(box.right, size.width - 1) << button->text << " cut at the right at " << at;
      // The middle of the text's lower half: inside the box up to an 'a's height.
      input.QueueMotion((box.left + box.right) / 2, box.bottom - box.Height() / 4);
      menu->HandleInput();
      for (MenuItem* item : menu->mainPage.Items()) {
        EXPECT_EQ(item->hovered, item == button) << item->text << " with the pointer on "
                                                 << button->text << " at " << at;
      }
      if (button == menu->playButton.get()) {
        const float ratio = static_cast<float>(box.Width()) / static_cast<float>(box.Height());
        if (standardRatio == 0.0f) standardRatio = ratio;
        EXPECT_NEAR(ratio / standardRatio, 1.0f, 0.05f) << "Play Game's shape at " << at;
      }
    }
  }
}

// The turning ship keeps its own colours while a button is lit, as in the
// menu of a game in progress: the frame differs only where the button's
// text turned red.
// Last, as it loads the ship, which the tests before must not see.
class MenuShip : public MenuDrawing {};

TEST_F(MenuShip, KeepsItsColoursUnderAHoveredButton) {
  {
    InDataDir inData;
    std::string error;
    ASSERT_TRUE(gShipModel.Load("models/ship.p3d", error)) << error;
  }
  // As a game left it: textured, lit, the material following the colour,
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glEnable(GL_COLOR_MATERIAL);
  ApplyStandardLight();
  // and the level drawn last with a colour for every vertex.
  static const float kTriangle[9] = {0, 0, -5, 1, 0, -5, 0, 1, -5};
  static const float kColours[12] = {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1};
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, kTriangle);
  glColorPointer(4, GL_FLOAT, 0, kColours);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  auto frameWith = [this](const MenuItem* hovered) {
    const MenuMouseState at = hovered ? PointerInside(*hovered) : PointerAt(-0.74f, -0.74f);
    input.QueueMotion(at.mouseX, at.mouseY);
    menu->HandleInput();
    for (int drawn = 0; drawn < 2; ++drawn) {  // the second frame: after one lit
      menu->shipAngle = 40.0f;                  // the same turn in every frame
      menu->Render();
    }
    return ReadPixels(0, 0, kWidth, kHeight);
  };
  const std::vector<uint8_t> plain = frameWith(nullptr);
  for (const MenuButton* lit : {menu->playButton.get(), menu->helpButton.get(),
                                menu->quitButton.get()}) {
    const std::vector<uint8_t> hovered = frameWith(lit);
    int changed = 0;
    for (size_t i = 0; i < plain.size(); i += 4) {
      const bool text = plain[i] > 200 && plain[i + 1] > 200 && plain[i + 2] > 200;
      if (!text && !std::equal(&plain[i], &plain[i + 3], &hovered[i])) ++changed;
    }
    EXPECT_EQ(changed, 0) << "pixels of the ship changed with " << lit->text << " lit";
  }
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

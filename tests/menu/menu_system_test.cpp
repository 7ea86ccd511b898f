#include "menu/menu_system.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/options.h"
#include "app/video.h"
#include "menu/menu_callbacks.h"
#include "tests/menu/menu_test_support.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"

namespace {

class MenuSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    SetScreenSize(1024, 768);
    gMenuPage = kMenuPageMain;
    gMenuAction = kActionNone;
    menu = std::make_unique<MenuSystem>();
    menu->Build(error);
  }
  void TearDown() override {
    SetScreenSize(1024, 768);
    gMenuPage = kMenuPageMain;
  }

  // One frame with the pointer moved over `item` and the left button held.
  int32_t ClickOn(const MenuItem& item) {
    const MenuMouseState at = PointerInside(item);
    input.QueueMotion(at.mouseX, at.mouseY);
    input.SetButtons(SDL_BUTTON(SDL_BUTTON_LEFT));
    const int32_t action = menu->Update(status);
    input.SetButtons(0);
    return action;
  }
  int32_t Frame() { return menu->Update(status); }

  FakeClock clock{1000, 1};
  FakeLetterMetrics letters{0.5f, 0.5f};
  ScriptedInput input;
  GameStatus status;
  std::unique_ptr<MenuSystem> menu;
  std::string error;  // the background is not needed here
};

TEST_F(MenuSystemTest, BuildTwiceAndUpdateBeforeBuildAreSafe) {
  MenuSystem unbuilt;
  status.inProgress = true;
  input.QueueMotion(512, 384);
  input.SetButtons(SDL_BUTTON(SDL_BUTTON_LEFT));
  EXPECT_EQ(unbuilt.Update(status), kActionNone);
  input.SetButtons(0);

  menu->Build(error);
  // The pages hold this build's items, once each.
  EXPECT_EQ(menu->mainPage.Items().size(), 9u);  // "Multiplayer" below "Quit"
  EXPECT_EQ(menu->optionsPage.Items().size(), 6u);
  EXPECT_EQ(menu->videoPage.Items().size(), 5u);
  EXPECT_EQ(menu->quitPage.Items().size(), 4u);
  EXPECT_EQ(menu->mainPage.Items().front(), menu->titleLabel.get());
  EXPECT_EQ(ClickOn(*menu->resumeButton), kActionResume);
}

TEST_F(MenuSystemTest, GameInProgressSwapsPlayForResumeAndEndGame) {
  status.inProgress = true;
  Frame();
  EXPECT_TRUE(menu->resumeButton->visible);
  EXPECT_FALSE(menu->playButton->visible);
  // "Play Game" shares its row with "End Game", which comes first.
  EXPECT_EQ(ClickOn(*menu->playButton), kActionEndGame);

  status.inProgress = false;
  EXPECT_EQ(ClickOn(*menu->playButton), kActionPlay);
  EXPECT_FALSE(menu->endGameButton->visible);
  EXPECT_EQ(ClickOn(*menu->resumeButton), kActionNone);  // hidden: an empty row
}

TEST_F(MenuSystemTest, ButtonsLeadWhereTheyShouldAfterAPause) {
  using ButtonRole = std::unique_ptr<MenuButton> MenuSystem::*;
  struct Step {
    ButtonRole button;
    int32_t action;
    int32_t pageAfter;
  };
  const Step steps[] = {
      {&MenuSystem::optionsButton, kActionNone, kMenuPageOptions},
      {&MenuSystem::videoOptionsButton, kActionNone, 3},
      {&MenuSystem::cancelButton, kActionNone, kMenuPageOptions},
      {&MenuSystem::mainMenuButton, kActionNone, kMenuPageMain},
      {&MenuSystem::playButton, kActionPlay, kMenuPageMain},
      {&MenuSystem::helpButton, kActionNone, kMenuPageHelp},
      {&MenuSystem::mainMenuButton, kActionNone, kMenuPageMain},
      {&MenuSystem::aboutButton, kActionNone, kMenuPageAbout},
      {&MenuSystem::mainMenuButton, kActionNone, kMenuPageMain},
      {&MenuSystem::quitButton, kActionNone, kMenuPageQuit},
      {&MenuSystem::noButton, kActionNone, kMenuPageMain},
      {&MenuSystem::quitButton, kActionNone, kMenuPageQuit},
      {&MenuSystem::yesButton, kActionQuit, kMenuPageQuit},
  };
  for (const Step& s : steps) {
    const MenuButton& button = *((*menu).*(s.button));
    const uint32_t before = clock.Now();
    EXPECT_EQ(ClickOn(button), s.action) << button.text;
    EXPECT_EQ(gMenuPage, s.pageAfter) << button.text;
    EXPECT_GE(clock.Now() - before, 200u) << button.text << ": no pause after the action";
    Frame();  // released
  }
}

// "Resolution" steps through the offered sizes, wrapping round, and the
// label shows the pending size; only "Accept Changes" sets the mode, and the
// screen values follow the picture.
TEST_F(MenuSystemTest, ResolutionStepsThroughTheSizesAndAcceptSetsTheMode) {
  gOptions.window = true;  // keep the test's window a window
  gVideoSizes = {{640, 480}, {800, 600}, {1024, 768}};
  gMenuPage = kMenuPageVideo;
  const struct {
    int width, height;
    const char* label;
  } steps[] = {{640, 480, "640 x 480"}, {800, 600, "800 x 600"}, {1024, 768, "1024 x 768"},
               {640, 480, "640 x 480"}};
  for (const auto& step : steps) {
    ClickOn(*menu->resolutionButton);
    Frame();
    EXPECT_EQ(gPendingWidth, step.width);
    EXPECT_EQ(menu->resolutionLabel->text, step.label);
    EXPECT_EQ(gScreenWidth, 1024) << "applied before Accept";
  }
  for (const auto& size : {VideoSize{800, 600}, VideoSize{1024, 768}}) {
    gMenuPage = kMenuPageVideo;
    gPendingWidth = size.width;
    gPendingHeight = size.height;
    EXPECT_EQ(ClickOn(*menu->acceptButton), kActionApplyVideo);
    EXPECT_EQ(gMenuPage, kMenuPageOptions);
    EXPECT_EQ(gScreenWidth, size.width);
    EXPECT_EQ(gHalfHeight, size.height / 2);
    EXPECT_EQ(SDL_GetVideoSurface()->w, size.width);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], size.width);
  }
  gOptions.window = false;
}

// Stepping the size and leaving with "Cancel" keeps the size in effect, and
// the page shows it when opened again, as it does after any step not accepted.
TEST_F(MenuSystemTest, CancelAndReopeningShowTheSizeInEffect) {
  gVideoSizes = {{640, 480}, {800, 600}, {1024, 768}, {1152, 864}};
  for (auto leave : {&MenuSystem::cancelButton, &MenuSystem::mainMenuButton}) {
    gMenuPage = kMenuPageOptions;
    ClickOn(*menu->videoOptionsButton);
    Frame();
    ASSERT_EQ(gMenuPage, kMenuPageVideo);
    ClickOn(*menu->resolutionButton);
    Frame();
    ASSERT_EQ(menu->resolutionLabel->text, "1152 x 864");
    if (leave == &MenuSystem::cancelButton) {
      ClickOn(*menu->cancelButton);
      EXPECT_EQ(gMenuPage, kMenuPageOptions);
      EXPECT_EQ(gPendingWidth, 1024);
    } else {
      gMenuPage = kMenuPageOptions;  // left some other way, say by Escape into play
    }
    ClickOn(*menu->videoOptionsButton);
    Frame();
    EXPECT_EQ(menu->resolutionLabel->text, "1024 x 768");
    EXPECT_EQ(gScreenWidth, 1024);
  }
}

// A press and its release read in one frame click where the press was, as a
// touchpad tap or a quick click does, even when the pointer has moved on;
// presses waiting from before the menu was shown (a shot fired in play)
// click nothing.
TEST_F(MenuSystemTest, APressReleasedWithinAFrameClicksAndOneFromPlayDoesNot) {
  const MenuMouseState options = PointerInside(*menu->optionsButton);
  for (uint8_t button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT}) {
    gMenuPage = kMenuPageMain;
    input.QueueMotion(0, 0);
    input.QueueButton(button, true, options.mouseX, options.mouseY);
    input.QueueButton(button, false, options.mouseX, options.mouseY);
    input.QueueMotion(0, 0);  // and away, before the frame reads it
    Frame();
    EXPECT_EQ(gMenuPage, kMenuPageOptions) << int(button);
  }
  gMenuPage = kMenuPageMain;
  input.QueueButton(SDL_BUTTON_MIDDLE, true, options.mouseX, options.mouseY);
  Frame();
  EXPECT_EQ(gMenuPage, kMenuPageMain) << "the middle button clicked";

  menu->IgnoreQueuedPresses();
  input.QueueButton(SDL_BUTTON_LEFT, true, options.mouseX, options.mouseY);
  input.QueueButton(SDL_BUTTON_LEFT, false, options.mouseX, options.mouseY);
  Frame();
  EXPECT_EQ(gMenuPage, kMenuPageMain) << "a press from before the menu clicked";
  input.QueueButton(SDL_BUTTON_LEFT, true, options.mouseX, options.mouseY);
  Frame();
  EXPECT_EQ(gMenuPage, kMenuPageOptions) << "the next press was lost";
}

TEST_F(MenuSystemTest, AnUnknownPageReactsToNothing) {
  for (int32_t number : {1, 7}) {
    gMenuPage = number;
    EXPECT_EQ(menu->CurrentPage(), nullptr) << number;
  }
  gMenuPage = -1;
  EXPECT_EQ(ClickOn(*menu->optionsButton), kActionNone);
  EXPECT_EQ(gMenuPage, -1);
  EXPECT_FALSE(menu->optionsButton->hovered);
}

TEST_F(MenuSystemTest, EscapeResumesOnlyAGameInProgressAndAClickOverridesIt) {
  input.Hold(SDLK_ESCAPE);
  uint32_t before = clock.Now();
  EXPECT_EQ(Frame(), kActionNone);
  EXPECT_LT(clock.Now() - before, 200u);  // no pause either

  status.inProgress = true;
  before = clock.Now();
  EXPECT_EQ(Frame(), kActionResume);
  EXPECT_GE(clock.Now() - before, 200u);
  EXPECT_EQ(ClickOn(*menu->endGameButton), kActionEndGame);
}

TEST_F(MenuSystemTest, ShipTurnsTwentyDegreesASecondAndAtLeastAFifthOfADegreeAFrame) {
  clock.SetStep(0);
  struct Case {
    uint32_t lastTicks, now;
    float angleBefore, angleAfter;
  };
  const Case cases[] = {
      {1000, 1002, 10.0f, 10.2f},     {1000, 1500, 10.0f, 20.0f},
      {0xFFFFFFFFu, 499, 0.0f, 10.0f},  // across the wrap of the counter
      {1000, 1002, 359.9f, 0.0f},       // 360.1 starts again at 0, not 0.1
  };
  for (const Case& c : cases) {
    menu->lastTicks = c.lastTicks;
    menu->shipAngle = c.angleBefore;
    clock.Set(c.now);
    menu->TurnShip();
    EXPECT_NEAR(menu->shipAngle, c.angleAfter, 1e-4f) << c.lastTicks << " -> " << c.now;
    EXPECT_EQ(menu->lastTicks, c.now);
  }
}

}  // namespace

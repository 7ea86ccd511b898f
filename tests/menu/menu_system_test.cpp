#include "menu/menu_system.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/game.h"
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
    menu->Build();
  }
  void TearDown() override {
    menu.reset();
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
};

using ButtonRole = std::unique_ptr<MenuButton> MenuSystem::*;
using LabelRole = std::unique_ptr<MenuLabel> MenuSystem::*;

// Rows step down by repeated single-precision subtraction.
const float kRow0 = 0.225f;
const float kRow1 = kRow0 - 0.1f;
const float kRow2 = kRow1 - 0.1f;
const float kRow3 = kRow2 - 0.1f;
const float kRow4 = kRow3 - 0.1f;
const float kRow5 = kRow4 - 0.1f;
const float kVideoRow2 = kRow0 - 0.075f - 0.075f;

TEST_F(MenuSystemTest, RowsAreTheSinglePrecisionSteps) {
  EXPECT_FLOAT_EQ(kRow1, 0.12499999f);
  EXPECT_FLOAT_EQ(kRow5, -0.275f);
  EXPECT_FLOAT_EQ(kVideoRow2, 0.075f);
  EXPECT_NEAR(menu->cancelButton->boxBottom, 0.0f, 1e-7f);
}

TEST_F(MenuSystemTest, EveryButtonIsBuiltAsTabled) {
  struct Row {
    ButtonRole role;
    const char* text;
    float x, y, scaleX, scaleY, scaleZ;
    bool visible;
    MenuCallback callback;
  };
  const Row rows[] = {
      {&MenuSystem::resumeButton, "Resume Game", -0.15f, kRow0, 0.1f, 0.1f, 0.05f, true,
       &OnResumeGame},
      {&MenuSystem::playButton, "Play Game", -0.15f, kRow1, 0.1f, 0.1f, 0.05f, true, &OnPlayGame},
      {&MenuSystem::endGameButton, "End Game", -0.15f, kRow1, 0.1f, 0.1f, 0.05f, false, &OnEndGame},
      {&MenuSystem::optionsButton, "Options", -0.15f, kRow2, 0.1f, 0.1f, 0.05f, true,
       &OnShowOptions},
      {&MenuSystem::helpButton, "Help", -0.15f, kRow3, 0.1f, 0.1f, 0.05f, true, &OnNothing},
      {&MenuSystem::aboutButton, "About", -0.15f, kRow4, 0.1f, 0.1f, 0.05f, true, &OnNothing},
      {&MenuSystem::quitButton, "Quit", -0.15f, kRow5, 0.1f, 0.1f, 0.05f, true, &OnShowQuitPage},
      {&MenuSystem::videoOptionsButton, "Video Options", -0.2f, kRow0, 0.1f, 0.1f, 0.05f, true,
       &OnShowVideoOptions},
      {&MenuSystem::soundOptionsButton, "Sound Options", -0.2f, kRow1, 0.1f, 0.1f, 0.05f, true,
       &OnNothing},
      {&MenuSystem::controlOptionsButton, "Control Options", -0.2f, kRow2, 0.1f, 0.1f, 0.05f, true,
       &OnNothing},
      {&MenuSystem::playerOptionsButton, "Player Options", -0.2f, kRow3, 0.1f, 0.1f, 0.05f, true,
       &OnNothing},
      {&MenuSystem::mainMenuButton, "Main Menu", -0.2f, kRow4, 0.1f, 0.1f, 0.05f, true,
       &OnShowMainMenu},
      {&MenuSystem::resolutionButton, "Resolution", -0.45f, kRow0, 0.1f, 0.1f, 0.05f, true,
       &OnChooseResolution},
      {&MenuSystem::acceptButton, "Accept Changes", -0.2f, kVideoRow2, 0.06f, 0.06f, 0.0375f, true,
       &OnAcceptChanges},
      {&MenuSystem::cancelButton, "Cancel", -0.2f, kVideoRow2 - 0.075f, 0.056f, 0.06f, 0.0375f,
       true, &OnShowOptions},
      {&MenuSystem::yesButton, "Yes", -0.2f, 0.0f, 0.1f, 0.1f, 0.1f, true, &OnQuitConfirmed},
      {&MenuSystem::noButton, "No", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, true, &OnShowMainMenu},
  };
  for (const Row& r : rows) {
    const MenuButton* b = ((*menu).*(r.role)).get();
    ASSERT_NE(b, nullptr) << r.text;
    EXPECT_EQ(b->text, r.text);
    EXPECT_EQ(b->boxLeft, r.x) << r.text;
    EXPECT_EQ(b->boxBottom, r.y) << r.text;
    EXPECT_EQ(b->scaleX, r.scaleX) << r.text;
    EXPECT_EQ(b->scaleY, r.scaleY) << r.text;
    EXPECT_EQ(b->scaleZ, r.scaleZ) << r.text;
    EXPECT_EQ(b->visible, r.visible) << r.text;
    EXPECT_EQ(b->callback, r.callback) << r.text;
    EXPECT_FALSE(b->hovered);
    EXPECT_FALSE(b->selected);
  }
}

TEST_F(MenuSystemTest, EveryLabelIsBuiltAsTabled) {
  struct Row {
    LabelRole role;
    const char* text;
    float x, y, scaleX, scaleY, scaleZ;
  };
  const Row rows[] = {
      {&MenuSystem::titleLabel, "(insert title here)", -0.3f, 0.4f, 0.1f, 0.1f, 0.1f},
      {&MenuSystem::resolutionLabel, "1024 x 768", 0.1f, kRow0, 0.1f, 0.1f, 0.05f},
      {&MenuSystem::quitQuestionLabel, "Are you sure you want to quit?", -0.5f, 0.1f, 0.1f, 0.1f,
       0.05f},
  };
  for (const Row& r : rows) {
    const MenuLabel* l = ((*menu).*(r.role)).get();
    ASSERT_NE(l, nullptr) << r.text;
    EXPECT_EQ(l->text, r.text);
    EXPECT_EQ(l->x, r.x);
    EXPECT_EQ(l->y, r.y);
    EXPECT_EQ(l->scaleX, r.scaleX);
    EXPECT_EQ(l->scaleY, r.scaleY);
    EXPECT_EQ(l->scaleZ, r.scaleZ);
    EXPECT_TRUE(l->visible);
  }
}

TEST_F(MenuSystemTest, PagesListTheirItemsInOrderWithTheOneTitle) {
  MenuSystem& m = *menu;
  const std::vector<MenuItem*> main = {
      m.titleLabel.get(),    m.endGameButton.get(), m.resumeButton.get(), m.playButton.get(),
      m.optionsButton.get(), m.helpButton.get(),    m.aboutButton.get(),  m.quitButton.get()};
  const std::vector<MenuItem*> options = {m.videoOptionsButton.get(),   m.soundOptionsButton.get(),
                                          m.controlOptionsButton.get(), m.playerOptionsButton.get(),
                                          m.mainMenuButton.get(),       m.titleLabel.get()};
  const std::vector<MenuItem*> video = {m.resolutionButton.get(), m.resolutionLabel.get(),
                                        m.acceptButton.get(), m.cancelButton.get(),
                                        m.titleLabel.get()};
  const std::vector<MenuItem*> quit = {m.quitQuestionLabel.get(), m.yesButton.get(),
                                       m.noButton.get(), m.titleLabel.get()};
  EXPECT_EQ(m.mainPage.Items(), main);
  EXPECT_EQ(m.optionsPage.Items(), options);
  EXPECT_EQ(m.videoPage.Items(), video);
  EXPECT_EQ(m.quitPage.Items(), quit);
}

TEST_F(MenuSystemTest, ConstructionTakesTheScreenSizeAndTheClock) {
  menu.reset();
  SetScreenSize(800, 600);
  gPendingWidth = gPendingHeight = 0;
  clock.Set(4242);
  menu = std::make_unique<MenuSystem>();
  EXPECT_EQ(gPendingWidth, 800);
  EXPECT_EQ(gPendingHeight, 600);
  EXPECT_EQ(menu->lastTicks, 4242u);
  EXPECT_EQ(menu->shipAngle, 0.0f);
  EXPECT_FALSE(menu->gameInProgress);
  EXPECT_EQ(menu->material.glName, 0u);  // no "textures/concrete0.bmp" here
}

TEST_F(MenuSystemTest, BuildReportsAMissingBackground) {
  MenuSystem other;
  EXPECT_FALSE(other.Build());
  EXPECT_EQ(other.background.glName, 0u);
}

TEST_F(MenuSystemTest, GameInProgressSwapsPlayForResumeAndEndGame) {
  status.inProgress = true;
  Frame();
  EXPECT_TRUE(menu->gameInProgress);
  EXPECT_TRUE(menu->resumeButton->visible);
  EXPECT_TRUE(menu->endGameButton->visible);
  EXPECT_FALSE(menu->playButton->visible);
  // "Play Game" shares its row with "End Game", which comes first.
  EXPECT_EQ(ClickOn(*menu->playButton), kActionEndGame);

  status.inProgress = false;
  Frame();
  EXPECT_FALSE(menu->resumeButton->visible);
  EXPECT_FALSE(menu->endGameButton->visible);
  EXPECT_TRUE(menu->playButton->visible);
  EXPECT_EQ(ClickOn(*menu->playButton), kActionPlay);
  EXPECT_EQ(ClickOn(*menu->resumeButton), kActionNone);  // empty row
}

TEST_F(MenuSystemTest, ButtonsLeadWhereTheyShould) {
  struct Step {
    ButtonRole button;
    int32_t pageBefore;
    int32_t action;
    int32_t pageAfter;
  };
  const Step steps[] = {
      {&MenuSystem::optionsButton, kMenuPageMain, kActionNone, kMenuPageOptions},
      {&MenuSystem::mainMenuButton, kMenuPageOptions, kActionNone, kMenuPageMain},
      {&MenuSystem::quitButton, kMenuPageMain, kActionNone, kMenuPageQuit},
      {&MenuSystem::noButton, kMenuPageQuit, kActionNone, kMenuPageMain},
      {&MenuSystem::helpButton, kMenuPageMain, kActionNone, kMenuPageMain},
      {&MenuSystem::aboutButton, kMenuPageMain, kActionNone, kMenuPageMain},
      {&MenuSystem::optionsButton, kMenuPageMain, kActionNone, kMenuPageOptions},
      {&MenuSystem::soundOptionsButton, kMenuPageOptions, kActionNone, kMenuPageOptions},
      {&MenuSystem::controlOptionsButton, kMenuPageOptions, kActionNone, kMenuPageOptions},
      {&MenuSystem::playerOptionsButton, kMenuPageOptions, kActionNone, kMenuPageOptions},
      {&MenuSystem::videoOptionsButton, kMenuPageOptions, kActionNone, kMenuPageVideo},
      {&MenuSystem::cancelButton, kMenuPageVideo, kActionNone, kMenuPageOptions},
      {&MenuSystem::mainMenuButton, kMenuPageOptions, kActionNone, kMenuPageMain},
      {&MenuSystem::playButton, kMenuPageMain, kActionPlay, kMenuPageMain},
      {&MenuSystem::quitButton, kMenuPageMain, kActionNone, kMenuPageQuit},
      {&MenuSystem::yesButton, kMenuPageQuit, kActionQuit, kMenuPageQuit},
  };
  for (const Step& s : steps) {
    const MenuButton& button = *((*menu).*(s.button));
    ASSERT_EQ(gMenuPage, s.pageBefore) << button.text;
    const uint32_t before = clock.Now();
    EXPECT_EQ(ClickOn(button), s.action) << button.text;
    EXPECT_EQ(gMenuPage, s.pageAfter) << button.text;
    EXPECT_GE(clock.Now() - before, 200u) << button.text << ": no pause after the action";
    Frame();  // released
  }
}

TEST_F(MenuSystemTest, ResolutionIsOnlyAppliedByAccept) {
  gMenuPage = kMenuPageVideo;
  ClickOn(*menu->resolutionButton);
  EXPECT_EQ(gPendingWidth, 640);
  EXPECT_EQ(gPendingHeight, 480);
  ClickOn(*menu->cancelButton);
  EXPECT_EQ(gScreenWidth, 1024);
  EXPECT_EQ(gPendingWidth, 640);  // still pending

  gMenuPage = kMenuPageVideo;
  EXPECT_EQ(ClickOn(*menu->acceptButton), kActionApplyVideo);
  EXPECT_EQ(gMenuPage, kMenuPageOptions);
  EXPECT_EQ(gScreenWidth, 640);
  EXPECT_EQ(gScreenHeight, 480);
  EXPECT_EQ(gHalfWidth, 320);
  EXPECT_EQ(gScreenHeightF, 480.0f);
}

TEST_F(MenuSystemTest, AcceptWithNothingChosenAppliesTheCurrentSizeAgain) {
  gMenuPage = kMenuPageVideo;
  // The hit test maps the pointer with the screen size; keep it at 1024 x 768.
  EXPECT_EQ(ClickOn(*menu->acceptButton), kActionApplyVideo);
  EXPECT_EQ(gScreenWidth, 1024);
  EXPECT_EQ(gScreenHeight, 768);
}

TEST_F(MenuSystemTest, PageNumbersNamingNoPageShowNothingAndNothingReacts) {
  for (int32_t page : {1, 4, 7, 9, -1}) {
    gMenuPage = page;
    EXPECT_EQ(menu->CurrentPage(), nullptr);
    menu->optionsButton->hovered = false;
    EXPECT_EQ(ClickOn(*menu->optionsButton), kActionNone);
    EXPECT_EQ(gMenuPage, page);
    EXPECT_FALSE(menu->optionsButton->hovered);
  }
  const std::pair<int32_t, MenuPage*> named[] = {{kMenuPageMain, &menu->mainPage},
                                                 {kMenuPageOptions, &menu->optionsPage},
                                                 {kMenuPageVideo, &menu->videoPage},
                                                 {kMenuPageQuit, &menu->quitPage}};
  for (const auto& [number, page] : named) {
    gMenuPage = number;
    EXPECT_EQ(menu->CurrentPage(), page);
  }
}

TEST_F(MenuSystemTest, EscapeResumesOnlyAGameInProgress) {
  input.Hold(SDLK_ESCAPE);
  uint32_t before = clock.Now();
  EXPECT_EQ(Frame(), kActionNone);
  EXPECT_LT(clock.Now() - before, 200u);  // no pause either

  status.inProgress = true;
  before = clock.Now();
  EXPECT_EQ(Frame(), kActionResume);
  EXPECT_GE(clock.Now() - before, 200u);
}

TEST_F(MenuSystemTest, ClickedActionReplacesEscapesResume) {
  status.inProgress = true;
  input.Hold(SDLK_ESCAPE);
  Frame();
  EXPECT_EQ(ClickOn(*menu->endGameButton), kActionEndGame);
}

TEST_F(MenuSystemTest, ClosingTheWindowQuits) {
  input.QueueQuit();
  EXPECT_EQ(Frame(), kActionQuit);
  EXPECT_EQ(Frame(), kActionNone);  // the action lasts one frame
}

TEST_F(MenuSystemTest, PointerStaysWhereTheLastMotionLeftIt) {
  input.QueueMotion(10, 20);
  input.QueueMotion(300, 400);
  input.SetButtons(SDL_BUTTON(SDL_BUTTON_RIGHT) | SDL_BUTTON(SDL_BUTTON_MIDDLE));
  input.SetPointer(1, 1);  // the button query's position is not used
  Frame();
  EXPECT_EQ(menu->mouse.mouseX, 300);
  EXPECT_EQ(menu->mouse.mouseY, 400);
  EXPECT_EQ(menu->mouse.buttons, kMenuRightButton | kMenuMiddleButton);
  input.SetButtons(0);
  Frame();
  EXPECT_EQ(menu->mouse.mouseX, 300);
  EXPECT_EQ(menu->mouse.buttons, 0u);
}

TEST_F(MenuSystemTest, ShipTurnsTwentyDegreesASecondAndAtLeastAFifthOfADegreeAFrame) {
  clock.SetStep(0);
  struct Case {
    uint32_t lastTicks, now;
    float angleBefore, angleAfter;
  };
  const Case cases[] = {
      {1000, 1002, 10.0f, 10.2f},      {1000, 1000, 10.0f, 10.2f}, {1000, 1500, 10.0f, 20.0f},
      {0xFFFFFFFFu, 499, 0.0f, 10.0f},  // across the wrap of the counter
      {1000, 1002, 359.9f, 0.0f},       // 360.1 starts again at 0, not 0.1
      {1000, 1500, 355.0f, 0.0f},
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

TEST_F(MenuSystemTest, EachFrameTurnsTheShip) {
  clock.SetStep(0);
  menu->lastTicks = clock.Now();
  menu->shipAngle = 0.0f;
  clock.Advance(100);
  Frame();
  EXPECT_NEAR(menu->shipAngle, 2.0f, 1e-5f);
}

}  // namespace

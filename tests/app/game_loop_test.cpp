#include <gtest/gtest.h>


#include "app/game.h"
#include "app/options.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"

namespace {

class GameLoop : public ::testing::Test {
 protected:
  void SetUp() override { EnsureGlContext(); }
};

// A game played from the generated content folder.
class GameWithLevel : public GameLoop {
 protected:
  InDataDir inData;
};

TEST_F(GameWithLevel, PlayingTwiceDoesNotReloadTheLevelAndResumeContinuesIt) {
  Game game;
  game.state = kStateMenu;
  game.ApplyMenuAction(kActionPlay);
  ASSERT_EQ(game.state, kStatePlaying);
  ASSERT_TRUE(game.status.inProgress);
  ASSERT_FALSE(game.world.entities.empty());
  Entity* ship = game.world.entities[0];
  ship->position.x += 12.5f;  // a mark a reload would lose

  game.state = kStateMenu;  // as Escape leaves play
  game.ApplyMenuAction(kActionPlay);
  EXPECT_EQ(game.state, kStateMenu);
  game.ApplyMenuAction(kActionResume);
  EXPECT_EQ(game.state, kStatePlaying);
  ASSERT_EQ(game.world.entities[0], ship);

  game.state = kStateMenu;
  game.ApplyMenuAction(kActionEndGame);
  EXPECT_FALSE(game.status.inProgress);
  EXPECT_FALSE(game.world.loaded);
  EXPECT_TRUE(game.world.entities.empty());
  game.ApplyMenuAction(kActionResume);  // nothing left to resume
  EXPECT_EQ(game.state, kStateMenu);

  game.ApplyMenuAction(kActionPlay);  // reads the level again
  EXPECT_EQ(game.state, kStatePlaying);
  EXPECT_TRUE(game.world.loaded);
}

TEST_F(GameWithLevel, QuitRequestedInPlayStillUpdatesThatFrame) {
  FakeClock clock(5000);
  ScriptedInput input;
  Game game;
  gWorld = &game.world;  // as start-up publishes them
  gCamera = &game.camera;
  game.state = kStateMenu;
  game.ApplyMenuAction(kActionPlay);
  ASSERT_EQ(game.state, kStatePlaying);
  Vector3 before = game.world.entities[0]->position;

  input.QueueQuit();
  game.RunFrame(0.02f);
  EXPECT_EQ(game.state, kStateQuit);
  // The world still stepped: gravity moved the ship during the quit frame.
  EXPECT_NE(game.world.entities[0]->position.y, before.y);
}

// Escape held across a switch is ignored until released, both ways: held
// into play from the menu it does not leave again, held into the menu from
// play it does not resume. A fresh press then switches once.
TEST_F(GameWithLevel, EscapeHeldAcrossTheSwitchDoesNotBounce) {
  FakeClock clock(5000, 1);  // the 250 ms and 200 ms waits spin on it
  ScriptedInput input;
  Game game;
  gWorld = &game.world;
  gCamera = &game.camera;
  game.state = kStateMenu;
  auto frames = [&game](int count) {
    for (int i = 0; i < count; ++i) game.RunFrame(0.02f);
  };
  auto press = [&](GameState expected) {
    input.Hold(SDLK_ESCAPE, false);
    frames(1);
    input.Hold(SDLK_ESCAPE);
    frames(1);
    EXPECT_EQ(game.state, expected);
  };

  input.Hold(SDLK_ESCAPE);
  game.ApplyMenuAction(kActionPlay);
  frames(5);
  EXPECT_EQ(game.state, kStatePlaying) << "the Escape held from the menu left play";
  press(kStateMenu);
  frames(5);
  EXPECT_EQ(game.state, kStateMenu) << "the Escape held from play resumed";
  press(kStatePlaying);
  frames(5);
  EXPECT_EQ(game.state, kStatePlaying);
}

// A tap of Escape, pressed and released between two reads of the keys,
// switches once each way; the press of an Escape held across a switch, still
// waiting as an event, does not switch back.
TEST_F(GameWithLevel, EscapeTapsSwitchOnceEachWay) {
  FakeClock clock(5000, 1);
  ScriptedInput input;
  Game game;
  gWorld = &game.world;
  gCamera = &game.camera;
  game.state = kStateMenu;
  game.ApplyMenuAction(kActionPlay);
  auto frames = [&game](int count) {
    for (int i = 0; i < count; ++i) game.RunFrame(0.02f);
  };
  for (GameState expected : {kStateMenu, kStatePlaying, kStateMenu}) {
    input.QueueKey(SDLK_ESCAPE, true);
    input.QueueKey(SDLK_ESCAPE, false);
    frames(3);
    EXPECT_EQ(game.state, expected) << "a tap was lost or acted twice";
  }

  // Held in play while other events wait: the state leaves play, and the
  // press still queued behind them is not taken as "Resume".
  game.ApplyMenuAction(kActionResume);
  input.QueueMotion(1, 1);
  input.QueueKey(SDLK_ESCAPE, true);
  input.Hold(SDLK_ESCAPE);
  frames(1);
  ASSERT_EQ(game.state, kStateMenu);
  frames(3);
  EXPECT_EQ(game.state, kStateMenu) << "the press of the held Escape resumed";
  input.QueueKey(SDLK_ESCAPE, false);
  input.Hold(SDLK_ESCAPE, false);
  frames(1);
  input.QueueKey(SDLK_ESCAPE, true);
  input.QueueKey(SDLK_ESCAPE, false);
  frames(1);
  EXPECT_EQ(game.state, kStatePlaying) << "a fresh tap after the release did not resume";
}

// A new game looks level and ahead, whatever the last one looked at;
// resuming keeps the view.
TEST_F(GameWithLevel, ANewGameStartsLookingLevel) {
  Game game;
  gWorld = &game.world;
  gCamera = &game.camera;
  game.state = kStateMenu;
  game.ApplyMenuAction(kActionPlay);
  game.camera.pitch = 60.0f;  // at the ground
  game.camera.yaw = 135.0f;
  game.camera.roll = 5.0f;
  game.state = kStateMenu;
  game.ApplyMenuAction(kActionResume);
  EXPECT_FLOAT_EQ(game.camera.pitch, 60.0f);
  EXPECT_FLOAT_EQ(game.camera.yaw, 135.0f);
  game.state = kStateMenu;
  game.ApplyMenuAction(kActionEndGame);
  game.ApplyMenuAction(kActionPlay);
  ASSERT_EQ(game.state, kStatePlaying);
  EXPECT_FLOAT_EQ(game.camera.pitch, 0.0f);
  EXPECT_FLOAT_EQ(game.camera.yaw, 0.0f);
  EXPECT_FLOAT_EQ(game.camera.roll, 0.0f);
}

// Entering play drops the motion gathered in the menu and recentres the
// pointer, so the first poll does not turn the view.
TEST_F(GameWithLevel, EnteringPlayRecentresThePointer) {
  FakeClock clock(5000);
  ScriptedInput input;
  Game game;
  gWorld = &game.world;
  gCamera = &game.camera;
  game.state = kStateMenu;
  for (int32_t action : {kActionPlay, kActionResume}) {
    input.SetPointer(40, 700);  // where the pointer stood in the menu
    input.QueueMotion(40, 700);
    const float yaw = game.camera.yaw;
    const float pitch = game.camera.pitch;
    game.ApplyMenuAction(action);
    ASSERT_EQ(game.state, kStatePlaying) << action;
    EXPECT_EQ(input.PendingEvents(), 0u) << action;
    game.RunFrame(0.02f);
    EXPECT_FLOAT_EQ(game.camera.yaw, yaw) << action;
    EXPECT_FLOAT_EQ(game.camera.pitch, pitch) << action;
    game.state = kStateMenu;  // as Escape leaves play
  }
}

// In a window play keeps the pointer in (mouse-look needs it) and the menu
// lets it go.
TEST_F(GameWithLevel, PlayInAWindowGrabsThePointerAndTheMenuFreesIt) {
  FakeClock clock(5000, 1);
  ScriptedInput input;
  Game game;
  gWorld = &game.world;
  gCamera = &game.camera;
  gOptions.window = true;
  game.state = kStateMenu;
  game.ApplyMenuAction(kActionPlay);
  EXPECT_EQ(SDL_WM_GrabInput(SDL_GRAB_QUERY), SDL_GRAB_ON);
  input.Hold(SDLK_ESCAPE);
  game.RunFrame(0.02f);
  EXPECT_EQ(game.state, kStateMenu);
  EXPECT_EQ(SDL_WM_GrabInput(SDL_GRAB_QUERY), SDL_GRAB_OFF);
  gOptions.window = false;
}

}  // namespace

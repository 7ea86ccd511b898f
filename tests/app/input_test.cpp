#include <gtest/gtest.h>

#include "app/game.h"
#include "app/game_input.h"
#include "app/video.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"
#include "world/ship_command.h"

namespace {

class PlayInput : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    game = std::make_unique<Game>();
    game->state = kStatePlaying;
    game->inputTimer = 0.0f;
    gInput = MouseSnapshot{};
    input.SetPointer(gHalfWidth, gHalfHeight);
  }
  void TearDown() override { gKeys = nullptr; }

  // The input part of a play frame.
  void Frame(uint32_t ms) {
    float dt = static_cast<float>(ms) * 0.001f;
    game->inputTimer += dt;
    game->HandleInput(dt);
  }

  FakeClock clock{1000};
  ScriptedInput input;
  std::unique_ptr<Game> game;
};

// Input is handled once at least 10 ms have gathered: every fifth 2 ms frame,
// every 20 ms frame.
TEST_F(PlayInput, InputIsHandledOnceTenMillisecondsHaveGathered) {
  for (uint32_t ms : {20u, 2u}) {
    game->inputTimer = 0.0f;
    for (int i = 0; i < 4; ++i) input.QueueMotion(10 + i, 20);
    std::vector<int> handled;
    for (int frame = 1; frame <= 15; ++frame) {
      size_t before = input.PendingEvents();
      Frame(ms);
      if (input.PendingEvents() < before) handled.push_back(frame);
    }
    const std::vector<int> expected =
        ms == 2 ? std::vector<int>{5, 10, 15} : std::vector<int>{1, 2, 3, 4};
    EXPECT_EQ(handled, expected) << ms;
  }
}

TEST_F(PlayInput, OneEventIsTakenPerPoll) {
  input.QueueMotion(100, 200);
  input.QueueQuit();
  Frame(20);
  EXPECT_EQ(game->mouseX, 100);
  EXPECT_EQ(game->mouseY, 200);
  EXPECT_EQ(gInput.mouseX, 100);
  EXPECT_EQ(game->state, kStatePlaying);
  Frame(5);  // too soon: the quit request waits
  EXPECT_EQ(game->state, kStatePlaying);
  Frame(5);
  EXPECT_EQ(game->state, kStateQuit);
}

TEST_F(PlayInput, ButtonBitsSwapRightAndMiddle) {
  const struct {
    uint8_t sdl;
    uint32_t game;
  } cases[] = {{SDL_BUTTON(1), 1},
               {SDL_BUTTON(3), 2},
               {SDL_BUTTON(2), 4},
               {SDL_BUTTON(1) | SDL_BUTTON(3), 3},
               {0, 0}};
  for (const auto& c : cases) {
    input.SetButtons(c.sdl);
    Frame(20);
    EXPECT_EQ(game->mouseButtons, c.game) << int(c.sdl);
    EXPECT_EQ(gInput.buttons, c.game) << int(c.sdl);
  }
}

// 50 px at dt 0.02 turns 10 degrees: yaw grows past 360 unwrapped, pitch is
// clamped, and the pointer goes back to the centre so the turn happens once.
TEST_F(PlayInput, PointerDisplacementTurnsTheViewOnce) {
  game->camera.yaw = 355.0f;
  game->camera.pitch = 85.0f;
  input.SetPointer(gHalfWidth + 50, gHalfHeight + 100);
  for (int frame = 0; frame < 3; ++frame) Frame(20);
  EXPECT_NEAR(game->camera.yaw, 365.0f, 1e-4f);
  EXPECT_FLOAT_EQ(game->camera.pitch, 90.0f);
  EXPECT_EQ(input.Warps()[0], std::make_pair(gHalfWidth, gHalfHeight));
}

// The quarter second's wait is checked across the tick wrap in tick_wrap_test.
TEST_F(PlayInput, HeldEscapeReturnsToTheMenuAndStillLooks) {
  clock.SetStep(1);  // the wait spins on the clock
  input.Hold(SDLK_ESCAPE);
  input.SetPointer(gHalfWidth - 20, gHalfHeight);
  Frame(20);
  EXPECT_EQ(game->state, kStateMenu);
  EXPECT_NEAR(game->camera.yaw, -4.0f, 1e-5f);  // 20 px * 0.02 * 10
  EXPECT_EQ(gKeys, input.KeyState());
}

// The keys and buttons the ship's controls come from, both pairs of keys for
// each; right and middle buttons do not fire.
TEST(ShipControls, ComeFromTheKeysAndTheLeftButton) {
  const struct {
    std::vector<SDLKey> keys;
    uint32_t buttons;
    uint8_t controls;
  } cases[] = {
      {{}, 0, 0},
      {{SDLK_w}, 0, kControlThrust},
      {{SDLK_UP}, 0, kControlThrust},
      {{SDLK_s, SDLK_DOWN}, 0, kControlBack},
      {{SDLK_a}, 0, kControlStrafeLeft},
      {{SDLK_RIGHT}, 0, kControlStrafeRight},
      {{SDLK_LEFT, SDLK_d}, 0, kControlStrafeLeft | kControlStrafeRight},
      {{}, 1, kControlFire},
      {{}, 2 | 4, 0},
      {{SDLK_x, SDLK_SPACE}, 0, 0},
  };
  for (const auto& c : cases) {
    uint8_t keys[SDLK_LAST] = {};
    for (SDLKey key : c.keys) keys[key] = 1;
    EXPECT_EQ(ControlsHeld(keys, c.buttons), c.controls) << int(c.controls);
  }
}

// Bindings other than the defaults: the bound key or button holds its
// action and the old one does not; an arrow keeps steering as it does by
// default unless bound to another action; a movement on a mouse button and
// fire on a key work as well.
TEST(ShipControls, FollowTheBindings) {
  Settings settings;
  settings.keys = {SDLK_t, SDLK_DOWN, SDLK_a, kBindMouseRight, SDLK_SPACE};
  const struct {
    std::vector<SDLKey> keys;
    uint32_t buttons;
    uint8_t controls;
  } cases[] = {
      {{SDLK_t}, 0, kControlThrust},
      {{SDLK_w}, 0, 0},
      {{SDLK_UP}, 0, kControlThrust},       // the arrow, as by default
      {{SDLK_s}, 0, 0},
      {{SDLK_DOWN}, 0, kControlBack},       // bound to back itself
      {{SDLK_LEFT}, 0, kControlStrafeLeft},
      {{SDLK_d}, 0, 0},
      {{SDLK_RIGHT}, 0, kControlStrafeRight},
      {{}, 2, kControlStrafeRight},
      {{}, 1, 0},
      {{SDLK_SPACE}, 0, kControlFire},
  };
  for (const auto& c : cases) {
    uint8_t keys[SDLK_LAST] = {};
    for (SDLKey key : c.keys) keys[key] = 1;
    EXPECT_EQ(ControlsHeld(keys, c.buttons, settings), c.controls)
        << (c.keys.empty() ? 0 : int(c.keys[0])) << " buttons " << c.buttons;
  }
  // An arrow bound to another action no longer holds its own.
  settings.keys = {SDLK_LEFT, SDLK_s, SDLK_a, SDLK_d, kBindMouseLeft};
  uint8_t keys[SDLK_LAST] = {};
  keys[SDLK_LEFT] = 1;
  EXPECT_EQ(ControlsHeld(keys, 0, settings), kControlThrust);
}

// The look rate follows the sensitivity (2 degrees per pixel per second a
// step; 5, the default, as the game always turned), and inverted look
// turns the pitch the other way.
TEST_F(PlayInput, TheViewTurnsAsTheSettingsSay) {
  const Settings saved = gSettings;
  const struct {
    int sensitivity;
    bool invert;
    float yaw, pitch;  // after 20 px right and 10 px down at dt 0.02
  } cases[] = {{5, false, 4.0f, 2.0f}, {10, false, 8.0f, 4.0f}, {1, true, 0.8f, -0.4f}};
  for (const auto& c : cases) {
    gSettings.mouseSensitivity = c.sensitivity;
    gSettings.invertLook = c.invert;
    game->camera.yaw = 0.0f;
    game->camera.pitch = 0.0f;
    input.SetPointer(gHalfWidth + 20, gHalfHeight + 10);
    Frame(20);
    EXPECT_NEAR(game->camera.yaw, c.yaw, 1e-5f) << c.sensitivity;
    EXPECT_NEAR(game->camera.pitch, c.pitch, 1e-5f) << c.sensitivity;
  }
  gSettings = saved;
}

}  // namespace

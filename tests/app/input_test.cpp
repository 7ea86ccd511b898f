#include <gtest/gtest.h>

#include "app/game.h"
#include "app/input.h"
#include "app/video.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"

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

TEST_F(PlayInput, TwoMillisecondFramesAreHandledEveryFifthFrame) {
  for (int i = 0; i < 4; ++i) input.QueueMotion(10 + i, 20);
  std::vector<int> handled;
  for (int frame = 1; frame <= 15; ++frame) {
    size_t before = input.PendingEvents();
    Frame(2);
    if (input.PendingEvents() < before) handled.push_back(frame);
  }
  EXPECT_EQ(handled, (std::vector<int>{5, 10, 15}));
  EXPECT_EQ(input.Warps().size(), 3u);
}

TEST_F(PlayInput, TwentyMillisecondFramesAreHandledEveryFrame) {
  for (int frame = 1; frame <= 4; ++frame) {
    Frame(20);
    EXPECT_EQ(input.Warps().size(), static_cast<size_t>(frame));
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
  EXPECT_EQ(input.PendingEvents(), 1u);
  Frame(5);  // too soon: the quit request waits
  EXPECT_EQ(game->state, kStatePlaying);
  Frame(5);
  EXPECT_EQ(game->state, kStateQuit);
}

TEST_F(PlayInput, QuitRequestSkipsTheMouseLook) {
  input.QueueQuit();
  input.SetPointer(gHalfWidth + 50, gHalfHeight);
  Frame(20);
  EXPECT_EQ(game->state, kStateQuit);
  EXPECT_TRUE(input.Warps().empty());
  EXPECT_EQ(game->camera.yaw, 0.0f);
}

TEST_F(PlayInput, ButtonBitsSwapRightAndMiddle) {
  struct Case {
    uint8_t sdl;
    uint32_t game;
  };
  const Case cases[] = {{SDL_BUTTON(1), 1},
                        {SDL_BUTTON(3), 2},
                        {SDL_BUTTON(2), 4},
                        {SDL_BUTTON(1) | SDL_BUTTON(3), 3},
                        {0, 0}};
  for (Case c : cases) {
    input.SetButtons(c.sdl);
    Frame(20);
    EXPECT_EQ(game->mouseButtons, c.game) << int(c.sdl);
    EXPECT_EQ(gInput.buttons, c.game) << int(c.sdl);
  }
}

TEST_F(PlayInput, PointerDisplacementTurnsTheViewOnceThenItHoldsStill) {
  input.SetPointer(gHalfWidth + 10, gHalfHeight + 20);
  Frame(10);  // 10 pixels at dt 0.01: one degree
  EXPECT_NEAR(game->camera.yaw, 1.0f, 1e-5f);
  EXPECT_NEAR(game->camera.pitch, 2.0f, 1e-5f);
  ASSERT_EQ(input.Warps().size(), 1u);
  EXPECT_EQ(input.Warps()[0], std::make_pair(gHalfWidth, gHalfHeight));
  for (int frame = 0; frame < 5; ++frame) Frame(10);
  EXPECT_NEAR(game->camera.yaw, 1.0f, 1e-5f);
  EXPECT_NEAR(game->camera.pitch, 2.0f, 1e-5f);
}

TEST_F(PlayInput, TurnRateUsesTheFramesOwnTime) {
  game->camera.yaw = 355.0f;
  game->camera.pitch = 85.0f;
  input.SetPointer(gHalfWidth + 50, gHalfHeight + 100);
  Frame(20);  // 50 px * 0.02 * 10 = 10 degrees
  EXPECT_NEAR(game->camera.yaw, 365.0f, 1e-4f);  // not wrapped
  EXPECT_FLOAT_EQ(game->camera.pitch, 90.0f);     // clamped
}

TEST_F(PlayInput, HeldEscapeReturnsToTheMenuAfterAQuarterSecondAndStillLooks) {
  clock.SetStep(1);  // the wait spins on the clock
  input.Hold(SDLK_ESCAPE);
  input.SetPointer(gHalfWidth - 20, gHalfHeight);
  Frame(20);
  EXPECT_EQ(game->state, kStateMenu);
  EXPECT_GE(clock.Now(), 1000u + 250u);
  EXPECT_LT(clock.Now(), 1000u + 260u);
  ASSERT_EQ(input.Warps().size(), 1u);
  EXPECT_NEAR(game->camera.yaw, -4.0f, 1e-5f);
  EXPECT_EQ(gKeys, input.KeyState());
}

TEST_F(PlayInput, KeysArePublishedForTheShip) {
  input.Hold(SDLK_w);
  Frame(20);
  ASSERT_NE(gKeys, nullptr);
  EXPECT_EQ(gKeys[SDLK_w], 1);
  EXPECT_EQ(gKeys[SDLK_s], 0);
}

}  // namespace

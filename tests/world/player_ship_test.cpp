#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/camera.h"
#include "app/input.h"
#include "platform/audio.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_input.h"
#include "tests/world/small_level.h"
#include "world/player_ship.h"
#include "world/world.h"

namespace {

class Ship : public ::testing::Test {
 protected:
  void SetUp() override {
    gCamera = &camera;
    gEntityList = &world.entities;
    gInput = MouseSnapshot{};
    ship = new PlayerShip();
    world.entities.push_back(ship);
    Look(0.0f, 0.0f);
  }
  void TearDown() override {
    gCamera = nullptr;
    gKeys = nullptr;
  }

  // Turns the camera and lets it compute its direction, as a frame does.
  void Look(float yaw, float pitch) {
    camera.yaw = yaw;
    camera.pitch = pitch;
    float view[16];
    camera.BuildView(view);
  }

  // One control step with gravity already in the force, as the World does;
  // returns the force the ship added.
  Vector3 Step(bool onGround = true) {
    ship->collided = onGround;
    ship->force = Vector3(0.0f, -40.0f, 0.0f);
    ship->Update(0, world.entities, 0.02f);
    return ship->force - Vector3(0.0f, -40.0f, 0.0f);
  }

  int CountRockets() const {
    int count = 0;
    for (const Entity* e : world.entities) count += e->kind == kKindRocket;
    return count;
  }

  FakeClock clock{10000};
  ScriptedInput input;
  Camera camera;
  World world;
  PlayerShip* ship = nullptr;
};

// Keys push the ship only on the ground; looking down shortens the strafe
// (right is not normalised) but not the thrust; friction brakes only a moving
// ship.
TEST_F(Ship, ControlForces) {
  const struct {
    const char* name;
    std::vector<SDLKey> keys;
    bool onGround;
    float pitch;
    Vector3 velocity, force;
    float roll;
  } cases[] = {
      {"in the air", {SDLK_w, SDLK_a}, false, 0, {5, 0, 0}, {0, 0, 0}, 0},
      {"up", {SDLK_UP}, true, 0, {}, {0, 0, -80}, 0},
      {"s", {SDLK_s}, true, 0, {}, {0, 0, 80}, 0},
      {"forward and back cancel", {SDLK_w, SDLK_s}, true, 0, {}, {0, 0, 0}, 0},
      {"right", {SDLK_RIGHT}, true, 0, {}, {80, 0, 0}, 1},
      {"left and right act as left", {SDLK_LEFT, SDLK_RIGHT}, true, 0, {}, {-80, 0, 0}, -1},
      {"a and d act as a", {SDLK_a, SDLK_d}, true, 0, {}, {-80, 0, 0}, -1},
      {"d looking 60 down", {SDLK_d}, true, 60, {}, {40, 0, 0}, 1},
      {"w looking 60 down", {SDLK_w}, true, 60, {}, {0, 0, -80}, 0},
      {"at rest", {}, true, 0, {}, {0, 0, 0}, 0},
      {"moving", {}, true, 0, {3, 0, 4}, {-1.2f, 0, -1.6f}, 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    ScriptedInput keys;
    for (SDLKey key : k.keys) keys.Hold(key);
    Look(0.0f, k.pitch);
    camera.roll = 0.0f;
    ship->velocity = k.velocity;
    Vector3 extra = Step(k.onGround);
    EXPECT_NEAR(extra.x, k.force.x, 0.01f);
    EXPECT_NEAR(extra.y, k.force.y, 0.01f);
    EXPECT_NEAR(extra.z, k.force.z, 0.01f);
    EXPECT_NEAR(camera.roll, k.roll, 1e-6f);
  }
}

TEST_F(Ship, BankReturnsToLevelOneDegreePerStepAndStaysThere) {
  for (float start : {10.0f, -10.0f}) {
    SCOPED_TRACE(start);
    camera.roll = start;
    for (int step = 1; step <= 15; ++step) {
      Step();
      float left = std::max(std::fabs(start) - step, 0.0f);
      EXPECT_NEAR(camera.roll, std::copysign(left, start), 1e-5f) << step;
    }
  }
}

TEST_F(Ship, LookingStraightUpOrDownKeepsTheLastHeading) {
  for (float y : {-1.0f, 1.0f}) {
    Look(0.0f, 0.0f);
    Step();  // looking level: heading (0, 0, -1)
    camera.direction = Vector3(0, y, 0);
    Step();
    EXPECT_FALSE(std::isnan(ship->forward.x)) << y;
    EXPECT_NEAR(ship->forward.z, -1.0f, 1e-6f) << y;
  }
}

// The interval between shots is checked across the tick wrap in tick_wrap_test.
TEST_F(Ship, OnlyTheLeftButtonFiresWithItsSound) {
  gInput.buttons = 2 | 4;  // right and middle
  Step();
  EXPECT_EQ(CountRockets(), 0);
  gInput.buttons = 1;
  unsigned sounds = platform::ChunksPlayed();
  Step();
  EXPECT_EQ(CountRockets(), 1);
  EXPECT_EQ(platform::ChunksPlayed(), sounds + 1);
}

TEST_F(Ship, AimedFireNeedsTheLevelInSight) {
  gWorld = &world;
  BuildCornerLevel(world);
  ship->fireMode = 0;
  ship->position = Vector3(20, 10, -20);
  gInput.buttons = 1;
  Look(0.0f, -45.0f);  // up into the empty sky
  Step();
  EXPECT_EQ(CountRockets(), 0);
  Look(0.0f, 45.0f);  // down onto the floor
  Step();
  EXPECT_EQ(CountRockets(), 1);
  ForgetLevel();
  gWorld = nullptr;
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>

#include "app/camera.h"
#include "app/input.h"
#include "platform/audio.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_input.h"
#include "tests/world/small_level.h"
#include "world/player_ship.h"
#include "world/rocket.h"
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

  // One control step with gravity already in the force, as the World does.
  Vector3 Step(float dt = 0.02f) {
    ship->force = Vector3(0.0f, -40.0f, 0.0f);
    ship->Update(0, world.entities, dt);
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

TEST_F(Ship, AimsAlongTheCameraWithItsZAxisMirrored) {
  Step();
  EXPECT_NEAR(ship->direction.z, -1.0f, 1e-6f);
  EXPECT_NEAR(ship->forward.z, -1.0f, 1e-6f);
  EXPECT_NEAR(ship->right.x, 1.0f, 1e-6f);
  EXPECT_NEAR(ship->right.z, 0.0f, 1e-6f);
}

TEST_F(Ship, InTheAirKeysAndFrictionDoNothing) {
  input.Hold(SDLK_w);
  input.Hold(SDLK_a);
  ship->velocity = Vector3(5, 0, 0);
  ship->collided = false;
  Vector3 extra = Step();
  EXPECT_FLOAT_EQ(extra.x, 0.0f);
  EXPECT_FLOAT_EQ(extra.y, 0.0f);
  EXPECT_FLOAT_EQ(extra.z, 0.0f);
  EXPECT_FLOAT_EQ(camera.roll, 0.0f);
}

struct KeyCase {
  const char* name;
  std::vector<SDLKey> keys;
  Vector3 force;
  float roll;
};

TEST_F(Ship, KeysPushTheShipOnTheGround) {
  const KeyCase cases[] = {
      {"up", {SDLK_UP}, {0, 0, -80}, 0},
      {"w", {SDLK_w}, {0, 0, -80}, 0},
      {"down", {SDLK_DOWN}, {0, 0, 80}, 0},
      {"s", {SDLK_s}, {0, 0, 80}, 0},
      {"forward and back cancel", {SDLK_w, SDLK_s}, {0, 0, 0}, 0},
      {"left", {SDLK_LEFT}, {-80, 0, 0}, -1},
      {"a", {SDLK_a}, {-80, 0, 0}, -1},
      {"right", {SDLK_RIGHT}, {80, 0, 0}, 1},
      {"d", {SDLK_d}, {80, 0, 0}, 1},
      {"left and right act as left", {SDLK_LEFT, SDLK_RIGHT}, {-80, 0, 0}, -1},
      {"a and d act as a", {SDLK_a, SDLK_d}, {-80, 0, 0}, -1},
  };
  for (const KeyCase& k : cases) {
    SCOPED_TRACE(k.name);
    ScriptedInput keys;
    for (SDLKey key : k.keys) keys.Hold(key);
    camera.roll = 0.0f;
    ship->velocity = Vector3(0, 0, 0);
    ship->collided = true;
    Vector3 extra = Step(0.02f);
    EXPECT_NEAR(extra.x, k.force.x, 1e-4f);
    EXPECT_NEAR(extra.y, k.force.y, 1e-4f);
    EXPECT_NEAR(extra.z, k.force.z, 1e-4f);
    EXPECT_NEAR(camera.roll, k.roll, 1e-6f);
  }
}

TEST_F(Ship, StrafingBanksTheCameraUpToTenDegrees) {
  input.Hold(SDLK_d);
  camera.roll = 9.5f;
  ship->collided = true;
  Step(0.02f);
  EXPECT_FLOAT_EQ(camera.roll, 10.0f);
  input.Hold(SDLK_d, false);
  input.Hold(SDLK_a);
  camera.roll = -9.5f;
  Step(0.02f);
  EXPECT_FLOAT_EQ(camera.roll, -10.0f);
}

TEST_F(Ship, BankReturnsToLevelOneDegreePerStepAndStaysThere) {
  for (float start : {10.0f, -10.0f}) {
    SCOPED_TRACE(start);
    camera.roll = start;
    for (int step = 1; step <= 10; ++step) {
      ship->collided = true;
      Step(0.02f);
      float expected = start > 0 ? start - step : start + step;
      EXPECT_NEAR(camera.roll, expected, 1e-5f) << step;
    }
    for (int step = 0; step < 5; ++step) {
      ship->collided = true;
      Step(0.02f);
      EXPECT_NEAR(camera.roll, 0.0f, 1e-5f);
    }
  }
}

TEST_F(Ship, LookingDownStrafesWeakerButThrustsFully) {
  Look(0.0f, 60.0f);
  ship->collided = true;
  input.Hold(SDLK_d);
  EXPECT_NEAR(Step().Length(), 40.0f, 0.01f);
  EXPECT_NEAR(ship->right.Length(), 0.5f, 1e-4f);
  input.Hold(SDLK_d, false);
  input.Hold(SDLK_w);
  ship->collided = true;
  EXPECT_NEAR(Step().Length(), 80.0f, 1e-3f);
}

TEST_F(Ship, FrictionBrakesAMovingShipOnly) {
  ship->collided = true;
  Vector3 atRest = Step();
  EXPECT_FLOAT_EQ(atRest.Length(), 0.0f);

  ship->velocity = Vector3(3, 0, 4);
  ship->collided = true;
  Vector3 moving = Step();
  EXPECT_NEAR(moving.x, -1.2f, 1e-5f);
  EXPECT_NEAR(moving.z, -1.6f, 1e-5f);
}

TEST_F(Ship, LookingStraightDownKeepsTheLastHeading) {
  Step();  // looking level: heading (0, 0, -1)
  camera.direction = Vector3(0, -1, 0);
  Step();
  EXPECT_FALSE(std::isnan(ship->forward.x));
  EXPECT_NEAR(ship->forward.z, -1.0f, 1e-6f);
}

TEST_F(Ship, CameraTakesThePositionFromBeforeTheStep) {
  ship->position = Vector3(7, 8, 9);
  ship->velocity = Vector3(100, 0, 0);
  world.Update(0.02f);
  EXPECT_FLOAT_EQ(camera.position.x, 7.0f);
  EXPECT_FLOAT_EQ(camera.position.y, 8.0f);
  EXPECT_NE(ship->position.x, 7.0f);
}

TEST_F(Ship, ExpiredLifetimeMarksItDeadButTheStepStillRuns) {
  ship->lifetime = 0.0f;
  ship->position = Vector3(1, 2, 3);
  Step();
  EXPECT_FALSE(ship->alive);
  EXPECT_FLOAT_EQ(camera.position.z, 3.0f);
}

TEST_F(Ship, LeftButtonFiresAtMostEveryFourHundredMilliseconds) {
  gInput.buttons = 1;
  unsigned sounds = platform::ChunksPlayed();
  Step();
  EXPECT_EQ(CountRockets(), 1);
  EXPECT_EQ(ship->lastShotTicks, 10000u);
  clock.Set(10399);
  Step();
  EXPECT_EQ(CountRockets(), 1);
  clock.Set(10400);
  Step();
  EXPECT_EQ(CountRockets(), 2);
  EXPECT_EQ(platform::ChunksPlayed(), sounds + 2);

  gInput.buttons = 2 | 4;  // right and middle do not fire
  clock.Set(20000);
  Step();
  EXPECT_EQ(CountRockets(), 2);
}

TEST_F(Ship, RocketLeavesAlongTheAimWithTheShipsMotion) {
  Look(90.0f, 0.0f);
  ship->position = Vector3(1, 2, 3);
  ship->velocity = Vector3(0, 0, 10);
  ship->acceleration = Vector3(0, -40, 0);
  gInput.buttons = 1;
  Step();
  ASSERT_EQ(world.entities.size(), 2u);
  Rocket* rocket = static_cast<Rocket*>(world.entities[1]);
  EXPECT_EQ(rocket->owner, ship);
  EXPECT_FLOAT_EQ(rocket->launchPosition.z, 3.0f);
  EXPECT_FLOAT_EQ(rocket->position.y, 2.0f);
  EXPECT_NEAR(rocket->direction.x, 1.0f, 1e-4f);
  EXPECT_NEAR(rocket->forward.x, -1.0f, 1e-4f);
  EXPECT_NEAR(rocket->up.y, 1.0f, 1e-4f);
  EXPECT_FLOAT_EQ(rocket->velocity.z, 10.0f);
  EXPECT_FLOAT_EQ(rocket->acceleration.y, -40.0f);
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

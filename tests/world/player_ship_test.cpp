#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/support/fake_clock.h"
#include "tests/world/small_level.h"
#include "world/player_ship.h"
#include "world/world.h"

namespace {

class Ship : public ::testing::Test {
 protected:
  void SetUp() override {
    gEntityList = &world.entities;
    gWorldEvents = &world.events;
    ship = new PlayerShip();
    world.entities.push_back(ship);
  }

  void Look(float yaw, float pitch) {
    ship->command.yaw = yaw;
    ship->command.pitch = pitch;
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
  World world;
  PlayerShip* ship = nullptr;
};

// The controls push the ship only on the ground; looking down shortens the
// strafe (right is not normalised) but not the thrust; friction brakes only a
// moving ship.
TEST_F(Ship, ControlForces) {
  const struct {
    const char* name;
    uint8_t controls;
    bool onGround;
    float pitch;
    Vector3 velocity, force;
    float bank;
  } cases[] = {
      {"in the air", kControlThrust | kControlStrafeLeft, false, 0, {5, 0, 0}, {0, 0, 0}, 0},
      {"thrust", kControlThrust, true, 0, {}, {0, 0, -80}, 0},
      {"back", kControlBack, true, 0, {}, {0, 0, 80}, 0},
      {"thrust and back cancel", kControlThrust | kControlBack, true, 0, {}, {0, 0, 0}, 0},
      {"right", kControlStrafeRight, true, 0, {}, {80, 0, 0}, 1},
      {"left and right act as left", kControlStrafeLeft | kControlStrafeRight, true, 0, {},
       {-80, 0, 0}, -1},
      {"right looking 60 down", kControlStrafeRight, true, 60, {}, {40, 0, 0}, 1},
      {"thrust looking 60 down", kControlThrust, true, 60, {}, {0, 0, -80}, 0},
      {"at rest", 0, true, 0, {}, {0, 0, 0}, 0},
      {"moving", 0, true, 0, {3, 0, 4}, {-1.2f, 0, -1.6f}, 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    Look(0.0f, k.pitch);
    ship->command.controls = k.controls;
    ship->bank = 0.0f;
    ship->velocity = k.velocity;
    Vector3 extra = Step(k.onGround);
    EXPECT_NEAR(extra.x, k.force.x, 0.01f);
    EXPECT_NEAR(extra.y, k.force.y, 0.01f);
    EXPECT_NEAR(extra.z, k.force.z, 0.01f);
    EXPECT_NEAR(ship->bank, k.bank, 1e-6f);
  }
}

TEST_F(Ship, BankReturnsToLevelOneDegreePerStepAndStaysThere) {
  for (float start : {10.0f, -10.0f}) {
    SCOPED_TRACE(start);
    ship->bank = start;
    for (int step = 1; step <= 15; ++step) {
      Step();
      float left = std::max(std::fabs(start) - step, 0.0f);
      EXPECT_NEAR(ship->bank, std::copysign(left, start), 1e-5f) << step;
    }
  }
}

// The view is where the ship was before the step moved it, which is what
// the camera draws from.
TEST_F(Ship, TheViewIsWhereTheShipWasAsItsStepBegan) {
  ship->position = Vector3(1, 2, 3);
  ship->velocity = Vector3(0, 0, -100);
  world.Update(0.02f);
  EXPECT_FLOAT_EQ(ship->eye.z, 3.0f);
  EXPECT_LT(ship->position.z, 3.0f);
}

TEST_F(Ship, LookingStraightUpOrDownKeepsAHeading) {
  for (float pitch : {-90.0f, 90.0f}) {
    Look(0.0f, 0.0f);
    Step();  // looking level: heading (0, 0, -1)
    Look(0.0f, pitch);
    Step();
    EXPECT_FALSE(std::isnan(ship->forward.x)) << pitch;
    EXPECT_NEAR(ship->forward.z, -1.0f, 1e-6f) << pitch;
  }
}

// The interval between shots is checked across the tick wrap in tick_wrap_test.
TEST_F(Ship, FireLaunchesARocketAndPostsItsLaunch) {
  Step();
  EXPECT_EQ(CountRockets(), 0);
  ship->command.controls = kControlFire;
  ship->player = 3;
  Step();
  EXPECT_EQ(CountRockets(), 1);
  ASSERT_EQ(world.events.size(), 1u);
  EXPECT_EQ(world.events[0].kind, WorldEventKind::kRocketLaunched);
  EXPECT_EQ(world.events[0].shooter, 3);
}

TEST_F(Ship, AimedFireNeedsTheLevelInSight) {
  gWorld = &world;
  BuildCornerLevel(world);
  ship->fireMode = 0;
  ship->position = Vector3(20, 10, -20);
  ship->command.controls = kControlFire;
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

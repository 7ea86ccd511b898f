#include <gtest/gtest.h>

#include "tests/support/fake_clock.h"
#include "tests/world/small_level.h"
#include "tests/world/test_entity.h"
#include "world/explosion.h"
#include "world/rocket.h"
#include "world/world.h"

namespace {

class Rockets : public ::testing::Test {
 protected:
  void SetUp() override {
    gEntityList = &world.entities;
    gWorldEvents = &world.events;
  }
  void TearDown() override { ForgetLevel(); }

  Rocket* AddRocket(const Vector3& at, const Entity* owner = nullptr) {
    Rocket* rocket = new Rocket(at, owner);
    rocket->position = at;
    world.entities.push_back(rocket);
    return rocket;
  }

  int CountExplosions() const {
    int count = 0;
    for (const Entity* e : world.entities) count += e->kind == kKindExplosion;
    return count;
  }

  // The bursts the rockets posted for their sound.
  int Bursts() const {
    int count = 0;
    for (const WorldEvent& e : world.events) count += e.kind == WorldEventKind::kExplosion;
    return count;
  }

  FakeClock clock{1000};
  World world;
};

// A rocket overlapping its launcher or an explosion flies on; anything else
// sets it off.
TEST_F(Rockets, ExplodeOnAnythingButTheirLauncherAndExplosions) {
  enum Other { kLauncher, kExplosion, kStranger };
  for (Other other : {kLauncher, kExplosion, kStranger}) {
    SCOPED_TRACE(other);
    world.Clear();
    Entity* entity = other == kExplosion ? static_cast<Entity*>(new Explosion(1000, Vector3()))
                                         : new TestEntity(3.0f);
    world.entities.push_back(entity);
    Rocket* rocket = AddRocket(Vector3(0.5f, 0, 0), other == kLauncher ? entity : nullptr);
    world.Update(0.01f);
    const bool explodes = other == kStranger;
    // An exploded rocket was removed in its own turn: its explosion took its slot.
    ASSERT_EQ(world.entities.size(), 2u);
    EXPECT_EQ(world.entities[1] == rocket, !explodes);
    EXPECT_EQ(CountExplosions(), (other == kExplosion) + explodes);
    EXPECT_EQ(Bursts(), int(explodes));
  }
}

TEST_F(Rockets, TwoRocketsThatMeetBothExplode) {
  TestEntity* ship = new TestEntity();
  ship->position = Vector3(500, 0, 0);
  world.entities.push_back(ship);
  Rocket* first = AddRocket(Vector3(0, 0, 0), ship);
  AddRocket(Vector3(1, 0, 0), ship);
  world.Update(0.01f);
  EXPECT_FALSE(first->alive);
  EXPECT_EQ(CountExplosions(), 2);
  EXPECT_EQ(Bursts(), 2);
}

TEST_F(Rockets, TwoLevelTrianglesTouchedInOneStepLeaveTwoExplosions) {
  BuildCornerLevel(world);
  TestEntity* ship = new TestEntity();
  ship->position = Vector3(500, 500, 500);  // outside the level: not collided
  world.entities.push_back(ship);
  Rocket* rocket = AddRocket(Vector3(0.5f, 0.5f, -10.0f), ship);
  world.Update(0.001f);
  EXPECT_FALSE(rocket->alive);
  EXPECT_EQ(CountExplosions(), 2);
  EXPECT_EQ(Bursts(), 2);
}

TEST_F(Rockets, RangeCountsOnlyBeyondTenThousandUnits) {
  EntityList unused;
  Rocket* atRange = AddRocket(Vector3(0, 0, 0));
  atRange->position = Vector3(10000.0f, 0, 0);
  atRange->Update(0, unused, 0.01f);
  EXPECT_TRUE(atRange->alive);

  Rocket* beyond = AddRocket(Vector3(0, 0, 0));
  beyond->position = Vector3(0, 0, -10000.001f);
  beyond->Update(0, unused, 0.01f);
  EXPECT_FALSE(beyond->alive);
  EXPECT_EQ(CountExplosions(), 1);
}

TEST_F(Rockets, ThrustReplacesGravityAndReachesTopSpeedAfterAThirdOfASecond) {
  Rocket* rocket = AddRocket(Vector3(0, 0, 0));
  rocket->SetDirection(Vector3(0, 0, -1));
  for (int step = 0; step < 15; ++step) world.Update(0.02f);
  EXPECT_NEAR(rocket->velocity.Length(), 150.0f, 1e-3f);
  for (int step = 0; step < 10; ++step) {
    world.Update(0.02f);  // 0.32 s of thrust at 500 units/s^2, then held there
    EXPECT_NEAR(rocket->velocity.z, -160.0f, 1e-3f) << step;
  }
  EXPECT_FLOAT_EQ(rocket->velocity.y, 0.0f);
}

}  // namespace

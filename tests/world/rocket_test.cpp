#include <gtest/gtest.h>

#include "platform/audio.h"
#include "tests/support/fake_clock.h"
#include "tests/world/small_level.h"
#include "tests/world/test_entity.h"
#include "world/explosion.h"
#include "world/rocket.h"
#include "world/world.h"

namespace {

class Rockets : public ::testing::Test {
 protected:
  void SetUp() override { gEntityList = &world.entities; }

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

  FakeClock clock{1000};
  World world;
};

TEST_F(Rockets, DoNotExplodeOnTheirLauncher) {
  TestEntity* ship = new TestEntity(3.0f);
  world.entities.push_back(ship);
  Rocket* rocket = AddRocket(Vector3(0.5f, 0, 0), ship);
  world.Update(0.01f);
  EXPECT_TRUE(rocket->alive);
  EXPECT_EQ(CountExplosions(), 0);
}

TEST_F(Rockets, DoNotExplodeOnExplosions) {
  world.entities.push_back(new Explosion(1000, Vector3(0, 0, 0)));
  Rocket* rocket = AddRocket(Vector3(0.5f, 0, 0));
  world.Update(0.01f);
  EXPECT_TRUE(rocket->alive);
  EXPECT_EQ(CountExplosions(), 1);
}

TEST_F(Rockets, ExplodeOnAnyOtherEntity) {
  TestEntity* ship = new TestEntity(3.0f);
  world.entities.push_back(ship);
  AddRocket(Vector3(0.5f, 0, 0), nullptr);  // someone else's
  unsigned sounds = platform::ChunksPlayed();
  world.Update(0.01f);
  // It exploded when the ship's turn found the contact, so its own turn
  // found it dead and removed it: its explosion took its slot.
  ASSERT_EQ(world.entities.size(), 2u);
  EXPECT_EQ(world.entities[1]->kind, kKindExplosion);
  EXPECT_EQ(platform::ChunksPlayed(), sounds + 1);
}

TEST_F(Rockets, TwoRocketsThatMeetBothExplode) {
  TestEntity* ship = new TestEntity();
  ship->position = Vector3(500, 0, 0);
  world.entities.push_back(ship);
  Rocket* first = AddRocket(Vector3(0, 0, 0), ship);
  AddRocket(Vector3(1, 0, 0), ship);
  unsigned sounds = platform::ChunksPlayed();
  world.Update(0.01f);
  EXPECT_FALSE(first->alive);
  EXPECT_EQ(CountExplosions(), 2);
  EXPECT_EQ(platform::ChunksPlayed(), sounds + 2);
  // The second rocket died before its turn and was removed in this step;
  // the first goes in the next one.
  EXPECT_EQ(world.entities.size(), 4u);
  world.Update(0.01f);
  EXPECT_EQ(world.entities.size(), 3u);
}

TEST_F(Rockets, EveryLevelContactLeavesAnotherExplosion) {
  Rocket* rocket = AddRocket(Vector3(3, 4, 5));
  const Vector3 corners[3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  unsigned sounds = platform::ChunksPlayed();
  rocket->OnLevelContact(corners, nullptr);
  rocket->OnLevelContact(corners, nullptr);
  EXPECT_FALSE(rocket->alive);
  EXPECT_EQ(CountExplosions(), 2);
  EXPECT_EQ(platform::ChunksPlayed(), sounds + 2);
  EXPECT_FLOAT_EQ(world.entities.back()->position.y, 4.0f);
  EXPECT_EQ(static_cast<Explosion*>(world.entities.back())->endTicks, 2000u);
}

class RocketsInALevel : public Rockets {
 protected:
  void SetUp() override {
    Rockets::SetUp();
    BuildCornerLevel(world);
  }
  void TearDown() override { ForgetLevel(); }
};

TEST_F(RocketsInALevel, TwoTrianglesTouchedInOneStepLeaveTwoExplosions) {
  TestEntity* ship = new TestEntity();
  ship->position = Vector3(500, 500, 500);  // outside the level: not collided
  world.entities.push_back(ship);
  Rocket* rocket = AddRocket(Vector3(0.5f, 0.5f, -10.0f), ship);
  unsigned sounds = platform::ChunksPlayed();
  world.Update(0.001f);
  EXPECT_FALSE(rocket->alive);
  EXPECT_EQ(CountExplosions(), 2);
  EXPECT_EQ(platform::ChunksPlayed(), sounds + 2);
}

TEST_F(Rockets, RangeCountsOnlyBeyondTenThousandUnits) {
  EntityList unused;
  Rocket* atRange = AddRocket(Vector3(0, 0, 0));
  atRange->position = Vector3(10000.0f, 0, 0);
  atRange->Update(0, unused, 0.01f);
  EXPECT_TRUE(atRange->alive);
  EXPECT_EQ(CountExplosions(), 0);

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
  world.Update(0.02f);  // 0.32 s of thrust at 500 units/s^2
  EXPECT_NEAR(rocket->velocity.z, -160.0f, 1e-3f);
  for (int step = 0; step < 10; ++step) world.Update(0.02f);
  EXPECT_NEAR(rocket->velocity.z, -160.0f, 1e-3f);
  EXPECT_FLOAT_EQ(rocket->velocity.y, 0.0f);
  EXPECT_FLOAT_EQ(rocket->force.z, -50.0f);
}

}  // namespace

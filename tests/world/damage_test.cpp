#include <gtest/gtest.h>

#include "tests/support/fake_clock.h"
#include "tests/world/small_level.h"
#include "world/damage.h"
#include "world/drone.h"
#include "world/player_ship.h"
#include "world/rocket.h"
#include "world/round.h"
#include "world/world.h"

namespace {

TEST(Blast, DamageFallsWithDistanceFromTheTargetsSurface) {
  const struct {
    float distance, damage;
  } table[] = {
      {0.0f, 50.0f}, {2.0f, 50.0f}, {9.0f, 25.0f}, {12.5f, 12.5f}, {16.0f, 0.0f}, {40.0f, 0.0f},
  };
  for (const auto& row : table) EXPECT_FLOAT_EQ(BlastDamage(row.distance), row.damage) << row.distance;
}

// A small world on a floor: the player's ship far off, and what a test adds.
class Damage : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildWalledFieldLevel(world);
    world.Publish();
    world.spawnPoints = {SpawnPoint{kSpawnShip, Vector3(150, 3, 150)},
                         SpawnPoint{kSpawnDrone, Vector3(100, 12, -100)}};
    world.droneReturns.assign(2, -1.0);
    ship = new PlayerShip();
    ship->position = ship->home = Vector3(150, 3, 150);
    world.entities.push_back(ship);
  }
  void TearDown() override {
    ForgetLevel();
    gWorld = nullptr;
  }

  // A rocket of `shooter` bursting at `at`, on whatever it meets there.
  void Burst(const Vector3& at, int32_t shooter, Entity* struck = nullptr,
             const Entity* owner = nullptr) {
    Rocket rocket(at, owner);
    rocket.position = at;
    rocket.shooter = shooter;
    rocket.Explode(struck);
  }

  int Count(WorldEventKind kind) const {
    int n = 0;
    for (const WorldEvent& e : world.events) n += e.kind == kind;
    return n;
  }

  Drone* AddDrone() {
    Drone* drone = new Drone(1, Vector3(100, 12, -100));
    world.entities.push_back(drone);
    return drone;
  }

  FakeClock clock{1000};
  World world;
  PlayerShip* ship = nullptr;
};

// One direct hit wrecks a drone and scores for the shooter; the drone's
// spawn point brings another back ten seconds later.
TEST_F(Damage, ADirectHitDestroysADroneWhichComesBack) {
  Drone* drone = AddDrone();
  Burst(drone->position, 0, drone);
  EXPECT_FALSE(drone->alive);
  EXPECT_EQ(Count(WorldEventKind::kDroneDestroyed), 1);
  Round round;
  round.Start(180.0f);
  round.Count(world.events);
  EXPECT_EQ(round.Tally(0).score, 1);
  EXPECT_EQ(round.Tally(0).hits, 1);

  int drones = 0;
  for (int step = 0; step < 499; ++step) world.Update(0.02f);  // 9.98 s
  for (const Entity* e : world.entities) drones += e->kind == kKindDrone;
  EXPECT_EQ(drones, 0);
  for (int step = 0; step < 2; ++step) world.Update(0.02f);
  Drone* back = nullptr;
  for (Entity* e : world.entities) {
    if (e->kind == kKindDrone) back = static_cast<Drone*>(e);
  }
  ASSERT_NE(back, nullptr);
  EXPECT_FLOAT_EQ(back->health, Drone::kFullHealth);
}

TEST_F(Damage, TwoNearBlastsDestroyADroneAndOneDoesNot) {
  Drone* drone = AddDrone();
  const Vector3 beside = drone->position + Vector3(Drone::kRadius + 1.0f, 0, 0);
  Burst(beside, 0);
  EXPECT_TRUE(drone->alive);
  EXPECT_FLOAT_EQ(drone->health, Drone::kFullHealth - kBlastDamage);
  Burst(beside, 0);
  EXPECT_FALSE(drone->alive);
}

// A rocket never hurts the one that launched it, so a player's own blasts
// cost nothing, on a level with drones or without; drones spare each other.
TEST_F(Damage, ARocketSparesItsLauncherAndDronesSpareDrones) {
  Burst(ship->position, 0, nullptr, ship);
  EXPECT_FLOAT_EQ(ship->hull, PlayerShip::kFullHull);
  Drone* drone = AddDrone();
  Burst(drone->position, -1, drone);
  EXPECT_TRUE(drone->alive);
  EXPECT_EQ(Count(WorldEventKind::kHit), 0);
}

// At 0 the ship is wrecked and lost; 3 s later it starts again at home,
// whole and shielded for 2 s, after which it can be hurt again.
TEST_F(Damage, AShipAtNoHullIsLostThenStartsAgainShielded) {
  ship->position = Vector3(-50, 3, 20);
  Burst(ship->position, -1, ship);
  EXPECT_TRUE(ship->Wrecked());
  EXPECT_EQ(Count(WorldEventKind::kShipDestroyed), 1);
  Round round;
  round.Start(180.0f);
  round.Count(world.events);
  EXPECT_EQ(round.Tally(0).losses, 1);
  EXPECT_EQ(round.Tally(0).score, 0);  // a drone's kill scores for no one

  Burst(ship->position, -1, ship);  // a wreck takes no more
  EXPECT_EQ(Count(WorldEventKind::kShipDestroyed), 1);
  for (int step = 0; step < 149; ++step) world.Update(0.02f);
  EXPECT_TRUE(ship->Wrecked());
  world.Update(0.02f);
  world.Update(0.02f);
  EXPECT_FALSE(ship->Wrecked());
  EXPECT_FLOAT_EQ(ship->hull, PlayerShip::kFullHull);
  EXPECT_TRUE(ship->Shielded());
  EXPECT_NEAR(ship->position.x, 150.0f, 1.0f);

  Burst(ship->position, -1, ship);
  EXPECT_FLOAT_EQ(ship->hull, PlayerShip::kFullHull);
  for (int step = 0; step < 101; ++step) world.Update(0.02f);
  EXPECT_FALSE(ship->Shielded());
  Burst(ship->position + Vector3(5.0f, 0, 0), -1);
  EXPECT_LT(ship->hull, PlayerShip::kFullHull);
}

TEST(Round, TalliesWhatPlayersDidAndItsClockRunsOut) {
  Round round;
  round.Start(3.0f);
  const WorldEvents events = {
      {WorldEventKind::kRocketLaunched, {}, 0, -1}, {WorldEventKind::kRocketLaunched, {}, 0, -1},
      {WorldEventKind::kRocketLaunched, {}, 0, -1}, {WorldEventKind::kHit, {}, 0, -1},
      {WorldEventKind::kHit, {}, -1, -1},           {WorldEventKind::kDroneDestroyed, {}, 0, -1},
      {WorldEventKind::kShipDestroyed, {}, 1, 0},   {WorldEventKind::kDroneFired, {}, -1, -1},
  };
  round.Count(events);
  const PlayerTally& me = round.Tally(0);
  EXPECT_EQ(me.shots, 3);
  EXPECT_EQ(me.hits, 1);
  EXPECT_EQ(me.Accuracy(), 33);
  EXPECT_EQ(me.score, 1);
  EXPECT_EQ(me.losses, 1);
  EXPECT_EQ(round.Tally(1).score, 1);  // player 1 wrecked player 0's ship
  EXPECT_EQ(PlayerTally{}.Accuracy(), 0);

  round.Advance(2.0f);
  EXPECT_FALSE(round.Over());
  EXPECT_FLOAT_EQ(round.TimeLeft(), 1.0f);
  round.Advance(1.0f);
  EXPECT_TRUE(round.Over());
  EXPECT_FLOAT_EQ(round.TimeLeft(), 0.0f);
  round.Start(3.0f);
  EXPECT_EQ(round.Tally(0).score, 0);
}

}  // namespace

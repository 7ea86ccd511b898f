#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "level/collision.h"
#include "level/path_graph.h"
#include "tests/support/fake_clock.h"
#include "tests/world/small_level.h"
#include "world/drone.h"
#include "world/player_ship.h"
#include "world/world.h"

namespace {

// The default arena with its drones, stepped without a window.
class Arena : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(world.Load(DRIFTWING_DATA_DIR "/map.wrl", error)) << error;
    gWorld = &world;
  }
  void TearDown() override { gWorld = nullptr; }

  std::vector<Drone*> Drones() const {
    std::vector<Drone*> drones;
    for (Entity* e : world.entities) {
      if (e->kind == kKindDrone) drones.push_back(static_cast<Drone*>(e));
    }
    return drones;
  }

  // Takes the player's ship out of the drones' sight: patrol alone.
  void HideShip() {
    world.entities[0]->tangible = false;
    static_cast<PlayerShip*>(world.entities[0])->wreckTime = -1e9f;
  }

  // Horizontal distance from `p` to the nearest link of the path graph.
  float DistanceToPaths(const Vector3& p) const {
    float best = 1e30f;
    for (const PathNode& node : world.pathNodes) {
      for (uint32_t link : node.links) {
        Vector3 a = node.position, b = world.pathNodes[link].position;
        Vector3 q(p.x, 0.0f, p.z);
        best = std::min(best, GroundDistance(ClosestPointOnSegment(q, a, b), q));
      }
    }
    return best;
  }

  // Whether the level lies below `p`: a ray down meets its top.
  bool AboveGround(const Vector3& p) const {
    Ray down{p, Vector3(0, -1, 0)};
    float d = 0.0f;
    return world.octree.RayCast(&down, 500.0f, &d);
  }

  FakeClock clock{1000};
  World world;
};

// On the arena, many seeds, a minute each: no drone sinks below the ground or
// leaves the level, none stands still for 3 s, none strays from the paths.
TEST_F(Arena, DronesPatrolThePathGraph) {
  constexpr float kDt = 0.02f;
  constexpr float kMaxStray = 40.0f;
#ifdef DRIFTWING_SANITIZE
  // The sanitizers look for bad memory, which a few seeds reach as well as
  // many; the rare stuck patrol is the plain build's to find.
  constexpr uint32_t kSeeds = 20;
#else
  constexpr uint32_t kSeeds = 200;
#endif
  ASSERT_EQ(Drones().size(), 6u);
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    world.Restart();
    world.random.Seed(seed);
    HideShip();
    const OctreeNode* root = world.octree.Root();
    const std::vector<Drone*> drones = Drones();
    std::vector<Vector3> anchor;
    std::vector<float> still(drones.size(), 0.0f);
    for (const Drone* d : drones) anchor.push_back(d->position);
    for (int step = 0; step < 3000; ++step) {
      world.Update(kDt);
      for (size_t i = 0; i < drones.size(); ++i) {
        const Drone& d = *drones[i];
        const Vector3& p = d.position;
        auto where = [&] {
          return "drone " + std::to_string(i) + " at step " + std::to_string(step) + " (" +
                 std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.z) + ")";
        };
        if (step % 5 == 0) {  // every tenth of a second is close enough
          ASSERT_TRUE(BoxContains(root->boxMin, root->boxMax, p)) << where() << " left the level";
          ASSERT_TRUE(AboveGround(p)) << where() << " is below the ground";
          ASSERT_EQ(d.mode, Drone::Mode::kPatrol) << where();
          ASSERT_LE(DistanceToPaths(p), kMaxStray) << where() << " strayed from the paths";
        }
        if (GroundDistance(p, anchor[i]) > 2.0f) {
          anchor[i] = p;
          still[i] = 0.0f;
        } else {
          still[i] += kDt;
          ASSERT_LT(still[i], 3.0f) << where() << " stood still";
        }
      }
    }
  }
}

}  // namespace

namespace {

// A drone and a ship on either side of, or beside, a wall.
class DroneSight : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildWalledFieldLevel(world);
    world.Publish();
    world.random.Seed(7);
    ship = new PlayerShip();
    world.entities.push_back(ship);
    drone = new Drone(0, Vector3(30, 12, 0));
    world.entities.push_back(drone);
  }
  void TearDown() override {
    ForgetLevel();
    gWorld = nullptr;
  }

  // Steps `seconds` of play; true if the drone fired meanwhile.
  bool Fires(float seconds) {
    bool fired = false;
    for (float t = 0; t < seconds; t += 0.02f) {
      world.events.clear();
      world.Update(0.02f);
      for (const WorldEvent& e : world.events) fired |= e.kind == WorldEventKind::kDroneFired;
    }
    return fired;
  }

  FakeClock clock{1000};
  World world;
  PlayerShip* ship = nullptr;
  Drone* drone = nullptr;
};

TEST_F(DroneSight, ADroneFiresAtAShipInTheOpenOnly) {
  const struct {
    const char* name;
    Vector3 ship;
    bool fires;
  } cases[] = {
      {"in the open", Vector3(110, 3, 40), true},
      {"behind the wall", Vector3(-60, 3, 0), false},
      {"out of range", Vector3(30, 3, 0) + Vector3(0, 0, Drone::kSightRange + 20), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    drone->position = Vector3(30, 12, 0);
    drone->mode = Drone::Mode::kPatrol;
    ship->position = c.ship;
    EXPECT_EQ(Fires(6.0f), c.fires);
    EXPECT_EQ(drone->mode == Drone::Mode::kAttack, c.fires);
  }
}

}  // namespace

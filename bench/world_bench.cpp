// A step of the world with 16 drones patrolling the default arena and the
// player's ship in sight of some of them: each drone casts its two rays (the
// ground ahead, and its sight of the ship) and is collided with the level
// every step. Beside it, the same step's rays through Embree's ray query and
// the same spheres through Bullet's triangle-mesh BVH, the best libraries
// for that share of the work. For the ratios run, for example,
//   world_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// and read the "min" rows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/level_bench_baselines.h"
#include "level/collision.h"
#include "platform/clock.h"
#include "world/drone.h"
#include "world/player_ship.h"
#include "world/world.h"

namespace {

constexpr int kDrones = 16;
constexpr float kStep = 0.02f;

uint32_t CountingTicks() {
  static uint32_t now = 0;
  return ++now;
}

double Minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The arena with 16 drones on its path graph, a few seconds in, so that
// they are spread out and some have seen the ship.
World& Arena() {
  static World* world = [] {
    platform::SetTickSource(&CountingTicks);
    auto* w = new World();
    std::string error;
    if (!w->Load(DRIFTWING_DATA_DIR "/map.wrl", error)) {
      std::fprintf(stderr, "world_bench: %s\n", error.c_str());
      std::exit(1);
    }
    gWorld = w;
    w->random.Seed(5);
    int drones = 0;
    for (const Entity* e : w->entities) drones += e->kind == kKindDrone;
    for (size_t node = 0; drones < kDrones; node += 3, ++drones) {
      const Vector3 at = w->pathNodes[node % w->pathNodes.size()].position;
      w->entities.push_back(new Drone(-1, Vector3(at.x, 40.0f, at.z)));
    }
    for (int step = 0; step < 250; ++step) w->Update(kStep);
    w->events.clear();
    return w;
  }();
  return *world;
}

// What the drones look at in a step: the ground ahead of each, and the ship.
struct DroneQueries {
  std::vector<Ray> rays;
  std::vector<float> lengths;
  std::vector<Vector3> spheres;  // every entity's, with its radius in `radii`
  std::vector<float> radii;
};

DroneQueries Queries(const World& world) {
  DroneQueries q;
  const Vector3 ship = world.entities[0]->position;
  for (const Entity* e : world.entities) {
    q.spheres.push_back(e->position);
    q.radii.push_back(e->radius);
    if (e->kind != kKindDrone) continue;
    const Vector3 ahead = e->position + Vector3(e->velocity.x, 0, e->velocity.z) * 0.7f;
    q.rays.push_back(Ray{ahead + Vector3(0, 40, 0), Vector3(0, -1, 0)});
    q.lengths.push_back(200.0f);
    const Vector3 to = ship - e->position;
    const float d = to.Length();
    q.rays.push_back(Ray{e->position, to * (1.0f / d)});
    q.lengths.push_back(d);
  }
  return q;
}

void WorldStep(benchmark::State& state) {
  World& world = Arena();
  for (auto _ : state) {
    world.Update(kStep);
    world.events.clear();
  }
  state.counters["drones"] = kDrones;
}

void DroneRaysOctree(benchmark::State& state) {
  const World& world = Arena();
  const DroneQueries q = Queries(world);
  int hits = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < q.rays.size(); ++i) {
      float d = 0.0f;
      hits += world.octree.RayCast(&q.rays[i], q.lengths[i], &d);
    }
  }
  benchmark::DoNotOptimize(hits);
  state.counters["rays"] = static_cast<double>(q.rays.size());
}

void DroneRaysEmbree(benchmark::State& state) {
  const World& world = Arena();
  static EmbreeScene embree(world);
  const DroneQueries q = Queries(world);
  int hits = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < q.rays.size(); ++i) {
      float d = 0.0f;
      hits += embree.RayCast(q.rays[i], q.lengths[i], &d);
    }
  }
  benchmark::DoNotOptimize(hits);
  state.counters["rays"] = static_cast<double>(q.rays.size());
}

// A sphere that takes contacts without moving, so every query sees the same.
class Probe : public Entity {
 public:
  Probe() : Entity(kKindDrone) { mass = 1.0f; }
  void Update(uint32_t, EntityList&, float) override {}
  void Draw() override {}
  void AddForce(const Vector3&) override {}
  void AddVelocity(const Vector3&) override {}
  void Translate(const Vector3&) override {}
};

void DroneSpheresOctree(benchmark::State& state) {
  const World& world = Arena();
  const DroneQueries q = Queries(world);
  Probe probe;
  float unused = 0.0f;
  for (auto _ : state) {
    for (size_t i = 0; i < q.spheres.size(); ++i) {
      probe.position = q.spheres[i];
      probe.radius = q.radii[i];
      world.octree.Collide(&probe, &unused, kStep);
    }
  }
  state.counters["spheres"] = static_cast<double>(q.spheres.size());
}

void DroneSpheresBullet(benchmark::State& state) {
  const World& world = Arena();
  static BulletMesh bullet(world);
  const DroneQueries q = Queries(world);
  int contacts = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < q.spheres.size(); ++i) contacts += bullet.SphereContacts(q.spheres[i], q.radii[i]);
  }
  benchmark::DoNotOptimize(contacts);
  state.counters["spheres"] = static_cast<double>(q.spheres.size());
}

}  // namespace

#define WORLD_BENCHMARK(name) BENCHMARK(name)->ComputeStatistics("min", Minimum)
WORLD_BENCHMARK(WorldStep);
WORLD_BENCHMARK(DroneRaysOctree);
WORLD_BENCHMARK(DroneRaysEmbree);
WORLD_BENCHMARK(DroneSpheresOctree);
WORLD_BENCHMARK(DroneSpheresBullet);
#undef WORLD_BENCHMARK

BENCHMARK_MAIN();

// Level query and load speed, each beside its baseline: sphere collision and
// ray casts through the octree beside a test of every triangle, on the
// default level and on a compiled level of about a million triangles; level
// loading beside a plain read of the same file's bytes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "level/level_reader.h"
#include "platform/clock.h"
#include "tools/level/level_builder.h"
#include "tools/level/level_writer.h"
#include "tools/level/reference_queries.h"
#include "world/entity.h"

namespace {

// A sphere that takes contacts without moving, so every query of a run
// sees the same level and positions.
class Probe : public Entity {
 public:
  Probe() : Entity(1) {
    radius = 3.0f;  // the ship's
    mass = 1.0f;
  }
  void Update(uint32_t, EntityList&, float) override {}
  void Draw() override {}
  void OnLevelContact(const Vector3*, const Material*) override { ++contacts; }
  void AddForce(const Vector3&) override {}
  void AddVelocity(const Vector3&) override {}
  void Translate(const Vector3&) override {}
  long contacts = 0;
};

uint32_t CountingTicks() {
  static uint32_t now = 0;
  return ++now;
}

// About a million triangles: a 708 x 708 heightfield of rolling hills, 4000
// units across.
LevelMesh LargeMesh() {
  LevelMesh mesh;
  mesh.materialNames = {"grass", "rock"};
  const int n = 708;
  const float step = 4000.0f / n;
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j <= n; ++j) {
      float x = -2000.0f + step * i, z = -2000.0f + step * j;
      float y = 40.0f + 30.0f * std::sin(x / 150.0f) * std::cos(z / 190.0f) +
                10.0f * std::sin((x + z) / 45.0f);
      mesh.positions.push_back(Vector3(x, y, z));
      mesh.normals.push_back(Vector3(0, 1, 0));
      mesh.texCoords.push_back(TexCoord{x / 40.0f, z / 40.0f});
    }
  }
  for (uint32_t i = 0; i < static_cast<uint32_t>(n); ++i) {
    for (uint32_t j = 0; j < static_cast<uint32_t>(n); ++j) {
      uint32_t v = i * (n + 1) + j;
      int32_t material = static_cast<int32_t>((i / 16 + j / 16) % 2);
      mesh.triangles.push_back(MeshTriangle{{v, v + 1, v + n + 2}, material});
      mesh.triangles.push_back(MeshTriangle{{v, v + n + 2, v + n + 1}, material});
    }
  }
  mesh.spawnPoints.push_back(Vector3(0, 100, 0));
  return mesh;
}

struct BenchLevel {
  std::string path;
  LevelData data;
  std::vector<Vector3> spheres;  // centres near the ground
  std::vector<Ray> rays;         // from above the ground, looking ahead and down
};

void Prepare(BenchLevel& level) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(level.path.c_str(), bytes, error)) {
    std::fprintf(stderr, "level_bench: %s: %s\n", level.path.c_str(), error.c_str());
    std::exit(1);
  }
  ByteReader reader(bytes);
  if (!ReadLevel(reader, level.data)) {
    std::fprintf(stderr, "level_bench: %s: %s\n", level.path.c_str(), reader.Error().c_str());
    std::exit(1);
  }
  gLevelVertices = level.data.positions.data();
  gLevelTriangles = level.data.triangles.data();
  const OctreeNode& root = *level.data.octree.root;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  while (level.spheres.size() < 4096) {
    Vector3 top(root.boxMin.x + (root.boxMax.x - root.boxMin.x) * (0.1f + 0.8f * unit(random)),
                200.0f,
                root.boxMin.z + (root.boxMax.z - root.boxMin.z) * (0.1f + 0.8f * unit(random)));
    Ray down{top, Vector3(0, -1, 0)};
    float depth = 0.0f;
    if (!level.data.octree.RayCast(&down, 400.0f, &depth)) continue;
    Vector3 ground = top - Vector3(0, depth, 0);
    level.spheres.push_back(ground + Vector3(0, 4.0f * unit(random), 0));
    float angle = 6.2831f * unit(random);
    level.rays.push_back(
        Ray{ground + Vector3(0, 5, 0), Vector3(std::cos(angle), -0.1f, std::sin(angle))});
  }
}

BenchLevel& DefaultLevel() {
  static std::unique_ptr<BenchLevel> level;
  if (!level) {
    level = std::make_unique<BenchLevel>();
    level->path = std::string(DRIFTWING_DATA_DIR) + "/map.wrl";
    Prepare(*level);
  }
  return *level;
}

BenchLevel& LargeLevel() {
  static std::unique_ptr<BenchLevel> level;
  if (!level) {
    level = std::make_unique<BenchLevel>();
    level->path = std::string(LEVEL_BENCH_DIR) + "/large_level.wrl";
    if (FILE* existing = std::fopen(level->path.c_str(), "rb")) {
      std::fclose(existing);
    } else {
      LevelSource source;
      LevelBuildReport report;
      std::string error;
      if (!BuildLevel(LargeMesh(), {}, source, report, error) ||
          !WriteLevelFile(level->path, source, error)) {
        std::fprintf(stderr, "level_bench: large level: %s\n", error.c_str());
        std::exit(1);
      }
    }
    Prepare(*level);
  }
  return *level;
}

BenchLevel& LevelFor(const benchmark::State& state) {
  return state.range(0) == 0 ? DefaultLevel() : LargeLevel();
}

void Publish(BenchLevel& level) {
  gLevelVertices = level.data.positions.data();
  gLevelTriangles = level.data.triangles.data();
}

void Label(benchmark::State& state, const BenchLevel& level) {
  state.SetLabel((state.range(0) == 0 ? "default level, " : "large level, ") +
                 std::to_string(level.data.triangleCount) + " triangles, " +
                 std::to_string(level.data.octree.levelCount) + " octree levels");
  state.SetItemsProcessed(state.iterations());
}

void SphereOctree(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  Publish(level);
  Probe probe;
  float unused = 0.0f;
  size_t i = 0;
  for (auto _ : state) {
    probe.position = level.spheres[i++ % level.spheres.size()];
    level.data.octree.Collide(&probe, &unused, 0.02f);
  }
  benchmark::DoNotOptimize(probe.contacts);
  state.counters["contacts/query"] =
      static_cast<double>(probe.contacts) / static_cast<double>(state.iterations());
  Label(state, level);
}

void SphereEveryTriangle(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  size_t i = 0;
  size_t contacts = 0;
  for (auto _ : state) {
    contacts +=
        BruteForceSphereContacts(level.data, level.spheres[i++ % level.spheres.size()], 3.0f)
            .size();
  }
  state.counters["contacts/query"] =
      static_cast<double>(contacts) / static_cast<double>(state.iterations());
  Label(state, level);
}

void RayOctree(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  Publish(level);
  size_t i = 0, hits = 0;
  for (auto _ : state) {
    float distance = 0.0f;
    hits += level.data.octree.RayCast(&level.rays[i++ % level.rays.size()], 300.0f, &distance);
  }
  state.counters["hit fraction"] = static_cast<double>(hits) / state.iterations();
  Label(state, level);
}

void RayEveryTriangle(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  size_t i = 0, hits = 0;
  for (auto _ : state) {
    float distance = 0.0f;
    int32_t triangle = -1;
    hits += BruteForceRayCast(level.data, level.rays[i++ % level.rays.size()], 300.0f, &distance,
                              &triangle);
  }
  state.counters["hit fraction"] = static_cast<double>(hits) / state.iterations();
  Label(state, level);
}

void LoadLevel(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  size_t bytesRead = 0;
  for (auto _ : state) {
    std::vector<uint8_t> bytes;
    std::string error;
    ReadWholeFile(level.path.c_str(), bytes, error);
    LevelData data;
    ByteReader reader(bytes);
    if (!ReadLevel(reader, data)) state.SkipWithError(reader.Error().c_str());
    bytesRead += bytes.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytesRead));
  Label(state, level);
}

void ReadFileBytes(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  size_t bytesRead = 0;
  for (auto _ : state) {
    std::vector<uint8_t> bytes;
    std::string error;
    ReadWholeFile(level.path.c_str(), bytes, error);
    benchmark::DoNotOptimize(bytes.data());
    bytesRead += bytes.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytesRead));
  Label(state, level);
}

// Argument 0: the default level; 1: the large one.
BENCHMARK(SphereOctree)->Arg(0)->Arg(1);
BENCHMARK(SphereEveryTriangle)->Arg(0)->Arg(1);
BENCHMARK(RayOctree)->Arg(0)->Arg(1);
BENCHMARK(RayEveryTriangle)->Arg(0)->Arg(1);
BENCHMARK(LoadLevel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFileBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Stamps from a counter rather than SDL's clock: SDL is not started here.
  platform::SetTickSource(&CountingTicks);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

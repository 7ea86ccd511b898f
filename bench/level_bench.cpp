// Level query speed, memory and load speed, each beside its baseline, on the
// default level and on a compiled level of about a million triangles: ray
// casts through the octree beside Embree's rtcIntersect1 and a test of every
// triangle; sphere collision beside Bullet's btBvhTriangleMeshShape running
// the game's contact rule and a test of every triangle; the octree's bytes
// beside Embree's and Bullet's; level loading beside a plain read of the same
// file's bytes. For the ratios run, for example,
//   level_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//               --benchmark_report_aggregates_only=true
// and read the "min" rows.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "bench/level_bench_baselines.h"
#include "level/collision.h"
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
  // The ship's kind, so that gPolygonsTested counts the triangles tested.
  Probe() : Entity(kKindPlayerShip) {
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
  // Ray set 0: from above the ground, looking ahead and down; set 1: random
  // rays across the level.
  std::vector<Ray> rays[2];
  std::unique_ptr<EmbreeScene> embree;
  std::unique_ptr<BulletMesh> bullet;
};

constexpr float kRayLength = 300.0f;

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
  const Vector3 lo = level.data.octree.Root()->boxMin, hi = level.data.octree.Root()->boxMax;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  auto inner = [&](float a, float b) { return a + (b - a) * (0.1f + 0.8f * unit(random)); };
  while (level.spheres.size() < 4096) {
    Vector3 top(inner(lo.x, hi.x), 200.0f, inner(lo.z, hi.z));
    Ray down{top, Vector3(0, -1, 0)};
    float depth = 0.0f;
    if (!level.data.octree.RayCast(&down, 400.0f, &depth)) continue;
    Vector3 ground = top - Vector3(0, depth, 0);
    level.spheres.push_back(ground + Vector3(0, 4.0f * unit(random), 0));
    float angle = 6.2831f * unit(random);
    level.rays[0].push_back(
        Ray{ground + Vector3(0, 5, 0), Vector3(std::cos(angle), -0.1f, std::sin(angle))});
  }
  std::normal_distribution<float> normal(0.0f, 1.0f);
  while (level.rays[1].size() < 4096) {
    Vector3 d(normal(random), normal(random), normal(random));
    if (d.Length() < 0.01f) continue;
    d.Normalize();
    level.rays[1].push_back(Ray{Vector3(inner(lo.x, hi.x), inner(lo.y, hi.y), inner(lo.z, hi.z)), d});
  }
  // The octree must answer as testing every triangle does, or its speed
  // means nothing: check the first rays of each set.
  for (const std::vector<Ray>& rays : level.rays) {
    for (size_t i = 0; i < 48; ++i) {
      float octree = 0.0f, every = 0.0f;
      int32_t triangle = -1;
      level.data.octree.RayCast(&rays[i], kRayLength, &octree);
      BruteForceRayCast(level.data, rays[i], kRayLength, &every, &triangle);
      if (octree != every) {
        std::fprintf(stderr, "level_bench: %s: ray %zu: the octree finds %g, every triangle %g\n",
                     level.path.c_str(), i, octree, every);
        std::exit(1);
      }
    }
  }
  level.embree = std::make_unique<EmbreeScene>(level.data);
  level.bullet = std::make_unique<BulletMesh>(level.data);
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

const std::vector<Ray>& RaysFor(const benchmark::State& state, const BenchLevel& level) {
  return level.rays[state.range(1)];
}

void Publish(BenchLevel& level) {
  gLevelVertices = level.data.positions.data();
  gLevelTriangles = level.data.triangles.data();
}

void Label(benchmark::State& state, const BenchLevel& level, const char* what = nullptr) {
  std::string label = state.range(0) == 0 ? "default level" : "large level";
  if (what) label += std::string(", ") + what;
  state.SetLabel(label + ", " + std::to_string(level.data.triangleCount) + " triangles, " +
                 std::to_string(level.data.octree.LevelCount()) + " octree levels");
  state.SetItemsProcessed(state.iterations());
}

const char* RaySetName(const benchmark::State& state) {
  return state.range(1) == 0 ? "rays ahead and down" : "random rays";
}

void SphereOctree(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  Publish(level);
  Probe probe;
  float unused = 0.0f;
  size_t i = 0;
  long tested = 0;
  for (auto _ : state) {
    probe.position = level.spheres[i++ % level.spheres.size()];
    level.data.octree.Collide(&probe, &unused, 0.02f);
    tested += gPolygonsTested;
  }
  benchmark::DoNotOptimize(probe.contacts);
  double n = static_cast<double>(state.iterations());
  state.counters["contacts/query"] = static_cast<double>(probe.contacts) / n;
  state.counters["tested/query"] = static_cast<double>(tested) / n;
  Label(state, level);
}

void SphereBullet(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  size_t i = 0;
  long contacts = 0, tested = 0;
  for (auto _ : state) {
    contacts += level.bullet->SphereContacts(level.spheres[i++ % level.spheres.size()], 3.0f);
    tested += level.bullet->lastTested;
  }
  double n = static_cast<double>(state.iterations());
  state.counters["contacts/query"] = static_cast<double>(contacts) / n;
  state.counters["tested/query"] = static_cast<double>(tested) / n;
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
  const std::vector<Ray>& rays = RaysFor(state, level);
  Publish(level);
  size_t i = 0, hits = 0;
  double sum = 0.0;
  for (auto _ : state) {
    float distance = 0.0f;
    hits += level.data.octree.RayCast(&rays[i++ % rays.size()], kRayLength, &distance);
    sum += distance;
  }
  state.counters["hit fraction"] = static_cast<double>(hits) / state.iterations();
  state.counters["mean distance"] = sum / state.iterations();
  Label(state, level, RaySetName(state));
}

void RayEmbree(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  const std::vector<Ray>& rays = RaysFor(state, level);
  size_t i = 0, hits = 0;
  double sum = 0.0;
  for (auto _ : state) {
    float distance = 0.0f;
    hits += level.embree->RayCast(rays[i++ % rays.size()], kRayLength, &distance);
    sum += distance;
  }
  state.counters["hit fraction"] = static_cast<double>(hits) / state.iterations();
  state.counters["mean distance"] = sum / state.iterations();
  Label(state, level, RaySetName(state));
}

void RayEveryTriangle(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  const std::vector<Ray>& rays = RaysFor(state, level);
  size_t i = 0, hits = 0;
  for (auto _ : state) {
    float distance = 0.0f;
    int32_t triangle = -1;
    hits += BruteForceRayCast(level.data, rays[i++ % rays.size()], kRayLength, &distance,
                              &triangle);
  }
  state.counters["hit fraction"] = static_cast<double>(hits) / state.iterations();
  Label(state, level, RaySetName(state));
}

// Bytes of each spatial index, and per level triangle; the time is that of
// nothing.
void IndexMemory(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  for (auto _ : state) benchmark::DoNotOptimize(level.data.octree.Root());
  double triangles = static_cast<double>(level.data.triangleCount);
  double octree = static_cast<double>(level.data.octree.MemoryBytes());
  double embree = static_cast<double>(level.embree->Bytes());
  double bullet = static_cast<double>(level.bullet->Bytes());
  state.counters["octree MB"] = octree / 1e6;
  state.counters["octree B/triangle"] = octree / triangles;
  state.counters["Embree MB"] = embree / 1e6;
  state.counters["Embree B/triangle"] = embree / triangles;
  state.counters["Bullet MB"] = bullet / 1e6;
  state.counters["Bullet B/triangle"] = bullet / triangles;
  Label(state, level);
}

void LoadLevel(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  size_t bytesRead = 0;
  for (auto _ : state) {
    // As the World loads a level: read from the file as the parse goes.
    PlainFile file;
    std::string error;
    if (!file.Open(level.path.c_str(), error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    LevelData data;
    ByteReader reader(file);
    if (!ReadLevel(reader, data)) state.SkipWithError(reader.Error().c_str());
    bytesRead += file.Size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytesRead));
  Label(state, level);
}

// The parse alone, from bytes already in memory.
void ParseLevel(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  std::vector<uint8_t> bytes;
  std::string error;
  ReadWholeFile(level.path.c_str(), bytes, error);
  for (auto _ : state) {
    LevelData data;
    ByteReader reader(bytes);
    if (!ReadLevel(reader, data)) state.SkipWithError(reader.Error().c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes.size() * state.iterations()));
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

// One fread of the whole file into a buffer of its size: the floor under
// any loader.
void FreadFileBytes(benchmark::State& state) {
  BenchLevel& level = LevelFor(state);
  size_t bytesRead = 0;
  for (auto _ : state) {
    FILE* file = std::fopen(level.path.c_str(), "rb");
    if (file == nullptr) {
      state.SkipWithError("cannot open the level");
      break;
    }
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[static_cast<size_t>(size)]);
    bytesRead += std::fread(bytes.get(), 1, static_cast<size_t>(size), file);
    std::fclose(file);
    benchmark::DoNotOptimize(bytes.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytesRead));
  Label(state, level);
}

double Minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Argument 0: the default level; 1: the large one. Second argument of the
// ray benchmarks: the ray set.
#define LEVEL_BENCHMARK(name) BENCHMARK(name)->ComputeStatistics("min", Minimum)
LEVEL_BENCHMARK(SphereOctree)->Arg(0)->Arg(1);
LEVEL_BENCHMARK(SphereBullet)->Arg(0)->Arg(1);
LEVEL_BENCHMARK(SphereEveryTriangle)->Arg(0)->Arg(1)->Iterations(200);
LEVEL_BENCHMARK(RayOctree)->ArgsProduct({{0, 1}, {0, 1}});
LEVEL_BENCHMARK(RayEmbree)->ArgsProduct({{0, 1}, {0, 1}});
LEVEL_BENCHMARK(RayEveryTriangle)->ArgsProduct({{0, 1}, {0, 1}})->Iterations(200);
LEVEL_BENCHMARK(IndexMemory)->Arg(0)->Arg(1)->Iterations(1);
LEVEL_BENCHMARK(LoadLevel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
LEVEL_BENCHMARK(ParseLevel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
LEVEL_BENCHMARK(ReadFileBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
LEVEL_BENCHMARK(FreadFileBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
#undef LEVEL_BENCHMARK

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

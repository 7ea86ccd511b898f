// The light bake of levelc: the default arena as the build bakes it, and a
// level of a million triangles (rolling ground 2000 units across with 400
// blocks on it), each baked once per run with the default options: sunlight
// with shadows, 64 sky rays per vertex, subdivision where shadows fall.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

#include "tools/level/light_bake.h"
#include "tools/level/mesh_import.h"

namespace {

void Report(benchmark::State& state, const BakeReport& report) {
  state.counters["triangles_before"] = static_cast<double>(report.trianglesBefore);
  state.counters["triangles_after"] = static_cast<double>(report.trianglesAfter);
  state.counters["vertices_after"] = static_cast<double>(report.verticesAfter);
  state.counters["rays"] = static_cast<double>(report.rays);
  state.counters["rays_per_s"] =
      benchmark::Counter(static_cast<double>(report.rays), benchmark::Counter::kIsRate);
}

void BakeArena(benchmark::State& state) {
  LevelMesh arena;
  std::string error;
  if (!ImportMesh(ARENA_OBJ, arena, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  BakeReport report;
  for (auto _ : state) {
    LevelMesh mesh = arena;
    if (!BakeLight(mesh, BakeOptions{}, report, error)) state.SkipWithError(error.c_str());
  }
  Report(state, report);
}

uint32_t Vertex(LevelMesh& mesh, float x, float y, float z, const Vector3& n) {
  mesh.positions.push_back(Vector3(x, y, z));
  mesh.normals.push_back(n);
  mesh.texCoords.push_back(TexCoord{x / 40, z / 40});
  return static_cast<uint32_t>(mesh.positions.size() - 1);
}

float Height(float x, float z) {
  return 20 * std::sin(x / 150) * std::cos(z / 170) + 8 * std::sin((x + z) / 60);
}

// 707 x 707 ground cells (999,698 triangles) and 400 blocks of 12 triangles.
LevelMesh MillionTriangles() {
  LevelMesh mesh;
  mesh.materialNames = {"grass", "concrete"};
  const int n = 707;
  const float size = 2000, step = size / n;
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j <= n; ++j) {
      float x = -size / 2 + step * i, z = -size / 2 + step * j;
      float dx = (Height(x + 1, z) - Height(x - 1, z)) / 2, dz = (Height(x, z + 1) - Height(x, z - 1)) / 2;
      Vertex(mesh, x, Height(x, z), z, Normalized(Vector3(-dx, 1, -dz)));
    }
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      uint32_t a = i * (n + 1) + j, b = a + 1, c = a + n + 1, d = c + 1;
      mesh.triangles.push_back(MeshTriangle{{a, b, d}, 0});
      mesh.triangles.push_back(MeshTriangle{{a, d, c}, 0});
    }
  }
  for (int k = 0; k < 400; ++k) {
    float x = -900 + 90 * (k % 20) + 20, z = -900 + 90 * (k / 20) + 20, h = 10 + (k % 7) * 4;
    float y = Height(x, z) - 4;
    const Vector3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const Vector3& nrm : normals) {
      // The face's corners, counter-clockwise seen from outside.
      Vector3 u = std::fabs(nrm.y) > 0 ? Vector3(1, 0, 0) : Vector3(0, 1, 0);
      Vector3 v = CrossProduct(nrm, u);
      Vector3 centre = Vector3(x, y + h / 2, z) + Vector3(nrm.x * 8, nrm.y * h / 2, nrm.z * 8);
      Vector3 du = Vector3(u.x * 8, u.y * h / 2, u.z * 8), dv = Vector3(v.x * 8, v.y * h / 2, v.z * 8);
      Vector3 p[4] = {centre - du - dv, centre + du - dv, centre + du + dv, centre - du + dv};
      uint32_t q[4];
      for (int c = 0; c < 4; ++c) q[c] = Vertex(mesh, p[c].x, p[c].y, p[c].z, nrm);
      mesh.triangles.push_back(MeshTriangle{{q[0], q[1], q[2]}, 1});
      mesh.triangles.push_back(MeshTriangle{{q[0], q[2], q[3]}, 1});
    }
  }
  return mesh;
}

void BakeMillionTriangles(benchmark::State& state) {
  LevelMesh level = MillionTriangles();
  BakeReport report;
  std::string error;
  for (auto _ : state) {
    LevelMesh mesh = level;
    if (!BakeLight(mesh, BakeOptions{}, report, error)) state.SkipWithError(error.c_str());
  }
  Report(state, report);
}

}  // namespace

BENCHMARK(BakeArena)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BakeMillionTriangles)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_MAIN();

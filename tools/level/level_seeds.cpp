// level_seeds: writes small, valid level files of several shapes into a
// folder, the starting corpus of the level parser's fuzzer.
#include <cstdio>
#include <string>

#include "tools/level/level_builder.h"
#include "tools/level/level_writer.h"

namespace {

void AddVertex(LevelMesh& mesh, float x, float y, float z) {
  mesh.positions.push_back(Vector3(x, y, z));
  mesh.normals.push_back(Vector3(0, 1, 0));
  mesh.texCoords.push_back(TexCoord{x / 40.0f, z / 40.0f});
}

// A floor of `cells` x `cells` squares and, with `withBlock`, a box on it.
LevelMesh MakeMesh(int cells, bool withBlock, int materials) {
  LevelMesh mesh;
  for (int m = 0; m < materials; ++m) mesh.materialNames.push_back("mat" + std::to_string(m));
  const float size = 20.0f;
  for (int i = 0; i <= cells; ++i) {
    for (int j = 0; j <= cells; ++j) AddVertex(mesh, i * size, (i * j) % 3, j * size);
  }
  auto at = [&](int i, int j) { return static_cast<uint32_t>(i * (cells + 1) + j); };
  for (int i = 0; i < cells; ++i) {
    for (int j = 0; j < cells; ++j) {
      int32_t material = (i + j) % materials;
      mesh.triangles.push_back(MeshTriangle{{at(i, j), at(i, j + 1), at(i + 1, j + 1)}, material});
      mesh.triangles.push_back(MeshTriangle{{at(i, j), at(i + 1, j + 1), at(i + 1, j)}, material});
    }
  }
  if (withBlock) {
    uint32_t base = static_cast<uint32_t>(mesh.positions.size());
    for (int k = 0; k < 8; ++k) {
      AddVertex(mesh, 10.0f + 10.0f * (k & 1), 10.0f * ((k >> 1) & 1), 10.0f + 10.0f * (k >> 2));
    }
    const uint32_t faces[12][3] = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6},
                                   {0, 1, 4}, {1, 5, 4}, {2, 6, 3}, {3, 6, 7},
                                   {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
    for (const auto& f : faces) {
      mesh.triangles.push_back(MeshTriangle{{base + f[0], base + f[1], base + f[2]}, 0});
    }
  }
  mesh.spawnPoints.push_back(Vector3(5, 10, 5));
  mesh.pathNodes = {Vector3(0, 0, 0), Vector3(20, 5, 0), Vector3(20, 0, 20)};
  mesh.pathLinks = {{0, 1}, {1, 2}, {2, 0}};
  return mesh;
}

bool Write(const std::string& dir, const std::string& name, const LevelMesh& mesh, int32_t levels) {
  OctreeBuildOptions options;
  options.levels = levels;
  LevelSource level;
  LevelBuildReport report;
  std::string error;
  if (!BuildLevel(mesh, options, level, report, error) ||
      !WriteLevelFile(dir + "/" + name, level, error)) {
    std::fprintf(stderr, "level_seeds: %s: %s\n", name.c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: level_seeds OUTPUT_DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  bool ok = Write(dir, "floor_1.wrl", MakeMesh(1, false, 1), 1) &&
            Write(dir, "floor_2.wrl", MakeMesh(2, false, 2), 2) &&
            Write(dir, "block_2.wrl", MakeMesh(2, true, 3), 2) &&
            Write(dir, "block_3.wrl", MakeMesh(3, true, 6), 3) &&
            Write(dir, "floor_300.wrl", MakeMesh(12, true, 6), 3);  // 300 triangles
  return ok ? 0 : 1;
}

// levelc: compiles a mesh (Wavefront OBJ, glTF, ...) into the game's level
// file. See docs/levels.md for how a level is described.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/level/level_builder.h"
#include "tools/level/level_writer.h"
#include "tools/level/mesh_import.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: levelc [--levels N] [--max-levels N] INPUT OUTPUT\n"
               "  INPUT   a mesh file (.obj, .gltf, .glb, ...)\n"
               "  OUTPUT  the level file to write (the game reads map.wrl)\n"
               "  --levels N      build an octree of exactly N levels (1 to %d)\n"
               "  --max-levels N  deepest octree the automatic choice may build (default 8)\n",
               kMaxOctreeLevels);
}

int UsageError() {
  Usage();
  return 2;
}

bool ParseLevels(const char* text, int32_t* out) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > kMaxOctreeLevels) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

std::string MaterialList(const LevelSource& level) {
  std::string list;
  for (size_t i = 0; i < level.materialNames.size(); ++i) {
    size_t count = level.groups[i].indices.size() / 3;
    list += (i ? ", " : "") + level.materialNames[i] + " (" + std::to_string(count) + ")";
  }
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  OctreeBuildOptions options;
  const char* input = nullptr;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--levels") == 0 && hasValue) {
      if (!ParseLevels(argv[++i], &options.levels)) return UsageError();
    } else if (std::strcmp(argv[i], "--max-levels") == 0 && hasValue) {
      if (!ParseLevels(argv[++i], &options.maxLevels)) return UsageError();
    } else if (argv[i][0] == '-') {
      return UsageError();
    } else if (!input) {
      input = argv[i];
    } else if (!output) {
      output = argv[i];
    } else {
      return UsageError();
    }
  }
  if (!input || !output) return UsageError();

  std::string error;
  LevelMesh mesh;
  if (!ImportMesh(input, mesh, error)) {
    std::fprintf(stderr, "levelc: %s: %s\n", input, error.c_str());
    return 1;
  }
  LevelSource level;
  LevelBuildReport report;
  if (!BuildLevel(mesh, options, level, report, error)) {
    std::fprintf(stderr, "levelc: %s: %s\n", input, error.c_str());
    return 1;
  }
  if (!WriteLevelFile(output, level, error)) {
    std::fprintf(stderr, "levelc: %s\n", error.c_str());
    return 1;
  }

  const OctreeBuildStats& tree = report.octree;
  double mean = tree.nonEmptyLeaves
                    ? static_cast<double>(tree.leafRefs) / static_cast<double>(tree.nonEmptyLeaves)
                    : 0.0;
  std::printf("levelc: %s -> %s\n", input, output);
  std::printf("  %zu triangles (%zu degenerate skipped), %zu vertices\n", report.triangles,
              report.degenerateSkipped, level.positions.size());
  std::printf("  materials: %s\n", MaterialList(level).c_str());
  std::printf("  %zu spawn point(s), %zu path nodes\n", level.spawnPoints.size(),
              level.pathNodes.size());
  std::printf("  octree: %d levels, %zu nodes, root box (%.1f %.1f %.1f) to (%.1f %.1f %.1f)\n",
              tree.levels, tree.nodes, report.rootMin.x, report.rootMin.y, report.rootMin.z,
              report.rootMax.x, report.rootMax.y, report.rootMax.z);
  std::printf(
      "  deepest cells %.1f x %.1f x %.1f; references per leaf: %.1f on average over "
      "%zu non-empty of %zu leaves, at most %zu; %zu references in all\n",
      tree.deepestCellSize.x, tree.deepestCellSize.y, tree.deepestCellSize.z, mean,
      tree.nonEmptyLeaves, tree.leaves, tree.maxLeafRefs, tree.totalRefs);
  if (level.spawnPoints.empty()) {
    std::fprintf(stderr, "levelc: warning: %s has no spawn object; the ship starts at the origin\n",
                 input);
  }
  return 0;
}

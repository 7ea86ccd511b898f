// levelc: compiles a mesh (Wavefront OBJ, glTF, ...) into the game's level
// file, with sunlight baked into its vertex colours. See docs/levels.md.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_writer.h"
#include "tools/level/level_builder.h"
#include "tools/level/level_warnings.h"
#include "tools/level/level_writer.h"
#include "tools/level/light_bake.h"
#include "tools/level/mesh_import.h"
#include "tools/level/mesh_transform.h"

namespace {

void Usage(FILE* out) {
  std::fprintf(
      out,
      "usage: levelc [options] INPUT OUTPUT\n"
      "  INPUT   a mesh file (.obj, .gltf, .glb, .fbx, .dae, ...)\n"
      "  OUTPUT  the level file to write (the game reads map.wrl)\n"
      "Mesh:\n"
      "  --scale S          multiply every coordinate by S (the ship is a ball of radius 3)\n"
      "  --up y|z           the export's up axis (default y; z turns a Z-up export upright)\n"
      "  --spawn X,Y,Z      where the ship starts when the mesh has no \"spawn\" object\n"
      "                     (in the game's units and axes, after --scale and --up)\n"
      "Octree:\n"
      "  --levels N         build an octree of exactly N levels (1 to %d)\n"
      "  --max-levels N     deepest octree the automatic choice may build (default 8)\n"
      "Light (baked into the vertex colours):\n"
      "  --no-bake          keep plain white vertex colours\n"
      "  --sun X,Y,Z        direction toward the sun (default 0.6,0.72,-0.3)\n"
      "  --sun-colour R,G,B light of the sun (default 0.76,0.72,0.62)\n"
      "  --sky-colour R,G,B light of the open sky (default 0.45,0.48,0.53)\n"
      "  --bounce-colour R,G,B  light bounced off the level (default 0.30,0.29,0.26)\n"
      "  --sky-rays N       hemisphere rays per vertex for the sky's shading (default 64)\n"
      "  --min-edge L       shortest edge subdivision makes where shadows fall (default 4)\n"
      "  --max-edge L       longest edge left whole (default 256)\n"
      "  --no-subdivide     do not split big triangles to show shadows\n"
      "  --help             show this\n",
      kMaxOctreeLevels);
}

int UsageError(const std::string& why) {
  std::fprintf(stderr, "levelc: %s\n", why.c_str());
  Usage(stderr);
  return 2;
}

bool ParseInt(const char* text, int lo, int hi, int32_t* out) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < lo || value > hi) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

bool ParseFloats(const char* text, float* out, int count) {
  const char* at = text;
  for (int i = 0; i < count; ++i) {
    char* end = nullptr;
    out[i] = std::strtof(at, &end);
    if (end == at || !std::isfinite(out[i])) return false;
    at = end;
    if (i + 1 < count) {
      if (*at != ',') return false;
      ++at;
    }
  }
  return *at == '\0';
}

bool ParseVector(const char* text, Vector3* out) {
  float v[3];
  if (!ParseFloats(text, v, 3)) return false;
  *out = Vector3(v[0], v[1], v[2]);
  return true;
}

bool ParseColour(const char* text, Colour* out) {
  float v[3];
  if (!ParseFloats(text, v, 3) || v[0] < 0 || v[1] < 0 || v[2] < 0) return false;
  *out = Colour{v[0], v[1], v[2], 1.0f};
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

struct Options {
  const char* input = nullptr;
  const char* output = nullptr;
  float scale = 1.0f;
  UpAxis up = UpAxis::kY;
  bool hasSpawn = false;
  Vector3 spawn{0, 0, 0};
  bool bake = true;
  BakeOptions light;
  OctreeBuildOptions octree;
};

// 0 to go on, otherwise the exit status.
int ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    auto bad = [&] { return UsageError("bad or missing value for " + arg); };
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return -1;
    } else if (arg == "--no-bake") {
      o.bake = false;
    } else if (arg == "--no-subdivide") {
      o.light.subdivide = false;
    } else if (arg.compare(0, 2, "--") == 0 && arg.size() > 2) {
      if (!value) return bad();
      ++i;
      bool ok = true;
      if (arg == "--scale") {
        ok = ParseFloats(value, &o.scale, 1) && o.scale > 0.0f;
      } else if (arg == "--up") {
        ok = std::strcmp(value, "y") == 0 || std::strcmp(value, "z") == 0;
        o.up = value[0] == 'z' ? UpAxis::kZ : UpAxis::kY;
      } else if (arg == "--spawn") {
        ok = o.hasSpawn = ParseVector(value, &o.spawn);
      } else if (arg == "--levels") {
        ok = ParseInt(value, 1, kMaxOctreeLevels, &o.octree.levels);
      } else if (arg == "--max-levels") {
        ok = ParseInt(value, 1, kMaxOctreeLevels, &o.octree.maxLevels);
      } else if (arg == "--sun") {
        ok = ParseVector(value, &o.light.towardSun) && o.light.towardSun.LengthSquared() > 0;
      } else if (arg == "--sun-colour") {
        ok = ParseColour(value, &o.light.sun);
      } else if (arg == "--sky-colour") {
        ok = ParseColour(value, &o.light.sky);
      } else if (arg == "--min-edge") {
        ok = ParseFloats(value, &o.light.minEdge, 1) && o.light.minEdge > 0;
      } else if (arg == "--max-edge") {
        ok = ParseFloats(value, &o.light.maxEdge, 1) && o.light.maxEdge > 0;
      } else if (arg == "--bounce-colour") {
        ok = ParseColour(value, &o.light.bounce);
      } else if (arg == "--sky-rays") {
        ok = ParseInt(value, 1, 4096, &o.light.skyRays);
      } else {
        return UsageError("unknown option " + arg);
      }
      if (!ok) return bad();
    } else if (arg[0] == '-' && arg.size() > 1) {
      return UsageError("unknown option " + arg);
    } else if (!o.input) {
      o.input = argv[i];
    } else if (!o.output) {
      o.output = argv[i];
    } else {
      return UsageError("one input and one output, please");
    }
  }
  if (!o.input || !o.output) return UsageError("an input and an output are needed");
  return 0;
}

int Fail(const char* input, const std::string& error) {
  std::fprintf(stderr, "levelc: %s: %s\n", input, error.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (int status = ParseOptions(argc, argv, o)) return status < 0 ? 0 : status;

  std::string error;
  // Before any work, so a long bake never ends in a refusal.
  if (!platform::CheckWriteTarget(o.output, {o.input}, error)) {
    std::fprintf(stderr, "levelc: %s\n", error.c_str());
    return 1;
  }
  LevelMesh mesh;
  if (!ImportMesh(o.input, mesh, error)) return Fail(o.input, error);
  TransformMesh(mesh, o.up, o.scale);
  if (o.hasSpawn) {
    if (mesh.spawnPoints.empty()) {
      mesh.spawnPoints.push_back(o.spawn);
    } else {
      std::fprintf(stderr, "levelc: warning: %s: --spawn not used: the mesh has spawn objects\n",
                   o.input);
    }
  }
  if (!CheckMesh(mesh, error)) return Fail(o.input, error);

  BakeReport bake;
  if (o.bake && !mesh.triangles.empty() && !BakeLight(mesh, o.light, bake, error)) {
    return Fail(o.input, error);
  }
  LevelSource level;
  LevelBuildReport report;
  if (!BuildLevel(mesh, o.octree, level, report, error)) return Fail(o.input, error);
  if (!WriteLevelFile(o.output, level, error)) {
    std::fprintf(stderr, "levelc: %s\n", error.c_str());
    return 1;
  }

  const OctreeBuildStats& tree = report.octree;
  double mean = tree.nonEmptyLeaves
                    ? static_cast<double>(tree.leafRefs) / static_cast<double>(tree.nonEmptyLeaves)
                    : 0.0;
  std::printf("levelc: %s -> %s\n", o.input, o.output);
  std::printf("  %zu triangles (%zu degenerate skipped), %zu vertices\n", report.triangles,
              report.degenerateSkipped, level.positions.size());
  if (o.bake) {
    std::printf("  light baked: %zu triangles before subdivision, %zu after; %zu rays in %.2f s\n",
                bake.trianglesBefore, bake.trianglesAfter, bake.rays, bake.seconds);
  }
  std::printf("  materials: %s\n", MaterialList(level).c_str());
  size_t drones = 0;
  for (const SpawnPoint& spawn : level.spawnPoints) drones += spawn.IsDrone();
  std::printf("  %zu spawn point(s), %zu drone spawn point(s), %zu path nodes\n",
              level.spawnPoints.size() - drones, drones, level.pathNodes.size());
  std::printf("  octree: %d levels, %zu nodes, root box (%.1f %.1f %.1f) to (%.1f %.1f %.1f)\n",
              tree.levels, tree.nodes, report.rootMin.x, report.rootMin.y, report.rootMin.z,
              report.rootMax.x, report.rootMax.y, report.rootMax.z);
  std::printf(
      "  deepest cells %.1f x %.1f x %.1f; references per leaf: %.1f on average over "
      "%zu non-empty of %zu leaves, at most %zu; %zu references in all\n",
      tree.deepestCellSize.x, tree.deepestCellSize.y, tree.deepestCellSize.z, mean,
      tree.nonEmptyLeaves, tree.leaves, tree.maxLeafRefs, tree.totalRefs);
  for (const std::string& warning : LevelWarnings(level, report, o.octree, o.output)) {
    std::fprintf(stderr, "levelc: warning: %s: %s\n", o.input, warning.c_str());
  }
  return 0;
}

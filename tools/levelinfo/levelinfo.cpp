// levelinfo: what a level file holds, read with the game's own reader: its
// materials and their textures, counts, bounds, spawn points, path graph,
// baked light and octree. A damaged file gets the reader's reason.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/bitmap.h"
#include "assets/byte_reader.h"
#include "level/level_reader.h"
#include "level/path_graph.h"
#include "level/vertex_colours.h"
#include "tools/level/material_names.h"

namespace {

// "present (256 x 256)", or why the game could not use it.
std::string TextureState(const std::filesystem::path& file) {
  std::vector<uint8_t> bytes;
  std::string error;
  DecodedBitmap image;
  if (!ReadWholeFile(file.string().c_str(), bytes, error)) return "MISSING (" + error + ")";
  if (!DecodeBitmap(bytes.data(), bytes.size(), true, image, error)) {
    return "UNREADABLE (" + error + ")";
  }
  return "present (" + std::to_string(image.width) + " x " + std::to_string(image.height) + ")";
}

void PrintOctree(const Octree& octree) {
  size_t nodes = 0, leaves = 0, filled = 0, refs = 0, most = 0, leafRefs = 0;
  // Nodes sit in complete-tree order; a position below a leaf stays absent.
  for (const OctreeNode& node : octree.Nodes()) {
    if (!node.IsPresent()) continue;
    ++nodes;
    const size_t count = node.RefCount();
    refs += count;
    if (!node.IsLeaf()) continue;
    ++leaves;
    leafRefs += count;
    if (count > 0) ++filled;
    most = std::max(most, count);
  }
  std::printf("octree: %d levels, %zu nodes, %zu leaves (%zu holding triangles)\n",
              octree.LevelCount(), nodes, leaves, filled);
  if (octree.Root()) {
    const Vector3& lo = octree.Root()->boxMin;
    const Vector3& hi = octree.Root()->boxMax;
    std::printf("  root box (%.1f %.1f %.1f) to (%.1f %.1f %.1f)\n", lo.x, lo.y, lo.z, hi.x, hi.y,
                hi.z);
  }
  std::printf("  references per leaf: %.1f on average over leaves holding triangles, at most %zu; "
              "%zu references in all\n",
              filled ? static_cast<double>(leafRefs) / static_cast<double>(filled) : 0.0, most,
              refs);
}

// How far a drone has to fly to the patrol paths.
std::string PathDistanceText(const LevelData& level, const Vector3& at) {
  float distance = 0.0f;
  if (NearestPathNode(level.pathNodes, at, &distance) < 0) return "no path graph to patrol";
  char text[64];
  std::snprintf(text, sizeof text, "%.1f from the nearest path node", distance);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: levelinfo FILE\n"
                 "  prints what the level file holds; exits 1 when the game would refuse it\n");
    return argc == 2 ? 0 : 2;
  }
  const char* path = argv[1];
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, error)) {
    std::fprintf(stderr, "levelinfo: %s: %s\n", path, error.c_str());
    return 1;
  }
  LevelData level;
  ByteReader reader(bytes);
  if (!ReadLevel(reader, level) || !ReadVertexColours(reader, level)) {
    std::fprintf(stderr, "levelinfo: %s: %s\n", path, reader.Error().c_str());
    return 1;
  }

  std::printf("%s: level file of %zu bytes\n", path, bytes.size());
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::printf("materials: %d\n", level.materialCount);
  for (int32_t i = 0; i < level.materialCount; ++i) {
    const std::string& name = level.materialNames[i];
    std::string texture = "textures/" + name + ".bmp";
    std::printf("  %d \"%s\": %zu triangles, slot %d, ", i, name.c_str(),
                level.groups[i].indices.size() / 3, level.groups[i].material);
    if (MaterialHasTexture(name)) {
      std::printf("%s %s\n", texture.c_str(), TextureState(folder / texture).c_str());
    } else {
      std::printf("no texture (the name begins with \"path\" or a digit)\n");
    }
  }
  std::printf("  %s %s\n", "models/clouds.bmp", TextureState(folder / "models/clouds.bmp").c_str());

  std::printf("vertices: %u; triangles: %u\n", level.vertexCount, level.triangleCount);
  if (level.vertexCount > 0) {
    Vector3 lo = level.positions[0], hi = lo;
    float dark = 1e30f, bright = 0.0f;
    for (uint32_t v = 0; v < level.vertexCount; ++v) {
      const Vector3& p = level.positions[v];
      lo = Vector3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
      hi = Vector3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
      const Colour& c = level.colours[v];
      float grey = (c.r + c.g + c.b) / 3.0f;
      dark = std::min(dark, grey);
      bright = std::max(bright, grey);
    }
    std::printf("bounds: (%.1f %.1f %.1f) to (%.1f %.1f %.1f), %.1f x %.1f x %.1f\n", lo.x, lo.y,
                lo.z, hi.x, hi.y, hi.z, hi.x - lo.x, hi.y - lo.y, hi.z - lo.z);
    if (dark == 1.0f && bright == 1.0f) {
      std::printf("light: none baked (every vertex colour 1)\n");
    } else {
      std::printf("light: baked vertex colours, grey level %.2f to %.2f\n", dark, bright);
    }
  }

  for (bool drones : {false, true}) {
    size_t count = 0;
    for (const SpawnPoint& spawn : level.spawnPoints) count += spawn.IsDrone() == drones;
    if (drones) {
      std::printf("drone spawn points: %zu\n", count);
    } else {
      std::printf("spawn points: %zu%s\n", count, count ? "" : " (the ship starts at the origin)");
    }
    for (const SpawnPoint& spawn : level.spawnPoints) {
      if (spawn.IsDrone() != drones) continue;
      std::printf("  (%.1f %.1f %.1f)", spawn.position.x, spawn.position.y, spawn.position.z);
      if (drones) std::printf(", %s", PathDistanceText(level, spawn.position).c_str());
      std::printf("\n");
    }
  }
  size_t links = 0;
  for (const PathNode& node : level.pathNodes) links += node.linkCount;
  std::printf("path nodes: %u, links: %zu\n", level.pathNodeCount, links);
  PrintOctree(level.octree);
  return 0;
}

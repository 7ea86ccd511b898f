#include "tools/level/level_warnings.h"

#include "level/path_graph.h"
#include "tools/level/material_names.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

// A round scale that brings the largest extent near 1000 units.
std::string SuggestedScale(float extent) {
  double wanted = 1000.0 / extent;
  double step = std::pow(10.0, std::floor(std::log10(wanted)));
  return Number(std::round(wanted / step) * step);
}

}  // namespace

std::vector<std::string> LevelWarnings(const LevelSource& level, const LevelBuildReport& report,
                                       const OctreeBuildOptions& options,
                                       const std::string& output) {
  std::vector<std::string> warnings;
  if (std::none_of(level.spawnPoints.begin(), level.spawnPoints.end(),
                   [](const SpawnPoint& spawn) { return !spawn.IsDrone(); })) {
    warnings.push_back(
        "no spawn point: the ship starts at the origin (name an object \"spawn\" or give "
        "--spawn X,Y,Z)");
  }

  for (size_t i = 0; i < level.spawnPoints.size(); ++i) {
    const SpawnPoint& spawn = level.spawnPoints[i];
    if (!spawn.IsDrone()) continue;
    float distance = 0.0f;
    if (NearestPathNode(level.pathNodes, spawn.position, &distance) < 0) {
      warnings.push_back("drones but no path graph: they will hover where they start (draw a "
                         "\"path\" object)");
      break;
    }
    if (distance > kFarFromPathGraph) {
      warnings.push_back("drone spawn point " + std::to_string(i) + " is " + Number(distance) +
                         " units from the nearest path node: it flies straight there over "
                         "whatever lies between (place it near the path graph)");
    }
  }

  namespace fs = std::filesystem;
  fs::path folder = fs::path(output).parent_path();
  for (const std::string& name : level.materialNames) {
    if (!MaterialHasTexture(name)) continue;
    std::string texture = "textures/" + name + ".bmp";
    if (!IsPlainFileName(name)) {
      warnings.push_back("material \"" + name + "\" cannot be a texture file name (\"" + texture +
                         "\"): rename it in the modelling program to letters, digits, "
                         "\"_\", \"-\" and \".\"");
      continue;
    }
    std::error_code ignored;
    if (!fs::is_regular_file(folder / texture, ignored)) {
      warnings.push_back("material \"" + name + "\": \"" + texture + "\" is not beside " + output +
                         "; the game will not start the level without it");
    }
  }

  Vector3 size = report.boundsMax - report.boundsMin;
  float extent = std::max({size.x, size.y, size.z});
  std::string across = "the level is " + Number(extent) + " units across and the ship a ball " +
                       Number(2 * kShipRadius) + " across: ";
  if (extent < kSmallestLevel) {
    warnings.push_back(across + "it is very small; enlarge it with --scale (--scale " +
                       SuggestedScale(extent) + " makes it about 1000 across)");
  } else if (extent > kLargestLevel) {
    warnings.push_back(across + "it is very large; shrink it with --scale (--scale " +
                       SuggestedScale(extent) + " makes it about 1000 across)");
  }

  if (report.degenerateSkipped > 0) {
    warnings.push_back(std::to_string(report.degenerateSkipped) +
                       " triangle(s) of zero area skipped");
  }

  const OctreeBuildStats& tree = report.octree;
  double mean = tree.nonEmptyLeaves ? static_cast<double>(tree.leafRefs) /
                                          static_cast<double>(tree.nonEmptyLeaves)
                                    : 0.0;
  if (options.levels == 0 && mean >= kCrowdedLeaf) {
    std::string cure =
        tree.levels >= options.maxLevels
            ? "the tree stopped at --max-levels " + std::to_string(options.maxLevels) +
                  "; a higher --max-levels (at most 10) helps"
            : "its cells cannot shrink below twice the ship's radius, so the mesh is too dense "
              "for its size; --scale to enlarge it helps";
    warnings.push_back("the octree's leaves hold " + Number(mean) +
                       " triangle references on average (at most " +
                       std::to_string(tree.maxLeafRefs) + "), which slows every collision: " +
                       cure);
  }
  return warnings;
}

#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "tools/level/level_source.h"

// The box of the octree's root: the level's bounds with a margin around
// them and headroom above, widened so its minimum is at most 0 on every
// axis (the game's cell grid starts at 0).
void PaddedRootBox(const Vector3& boundsMin, const Vector3& boundsMax, Vector3& rootMin,
                   Vector3& rootMax);

struct OctreeBuildOptions {
  int32_t levels = 0;     // 0: choose from the triangle density
  int32_t maxLevels = 8;  // the deepest automatic choice
  // Automatic depth: deepen while the non-empty deepest cells hold more
  // references than this on average...
  double targetRefsPerLeaf = 32.0;
  // ...and the next level's cells stay at least this wide on every axis
  // (twice the ship's radius, so the ship still collides at the deepest level).
  float minCellSize = 6.0f;
};

struct OctreeBuildStats {
  int32_t levels = 0;
  size_t nodes = 0;
  size_t leaves = 0;
  size_t nonEmptyLeaves = 0;
  size_t leafRefs = 0;
  size_t maxLeafRefs = 0;
  size_t totalRefs = 0;
  Vector3 deepestCellSize{0, 0, 0};
};

// Builds the complete octree down to its last level, every node listing
// every triangle that overlaps its box, in the file's breadth-first order
// (which for a complete tree is the order of the node positions).
// `materials` gives the material slot of each triangle.
void BuildOctree(const std::vector<Vector3>& positions,
                 const std::vector<std::array<int32_t, 3>>& triangles,
                 const std::vector<int32_t>& materials, const Vector3& rootMin,
                 const Vector3& rootMax, const OctreeBuildOptions& options,
                 std::vector<SourceOctreeNode>& nodes, OctreeBuildStats& stats);

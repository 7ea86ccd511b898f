#include "tools/level/octree_builder.h"

#include <algorithm>

#include "level/octree_layout.h"
#include "tools/level/triangle_box.h"

namespace {

struct Cell {
  int32_t x, y, z;
};

// Coordinate of the boundary `i` of `n` cells between lo and hi, computed
// the same way for both neighbours so that sibling boxes share their faces.
float Boundary(float lo, float hi, int64_t i, int64_t n) {
  return static_cast<float>(lo + (static_cast<double>(hi) - lo) * static_cast<double>(i) /
                                     static_cast<double>(n));
}

Vector3 CellSizeAt(const Vector3& rootMin, const Vector3& rootMax, int32_t depth) {
  float scale = 1.0f / static_cast<float>(1 << depth);
  return (rootMax - rootMin) * scale;
}

}  // namespace

void PaddedRootBox(const Vector3& boundsMin, const Vector3& boundsMax, Vector3& rootMin,
                   Vector3& rootMax) {
  Vector3 extent = boundsMax - boundsMin;
  float largest = std::max({extent.x, extent.y, extent.z});
  float margin = std::max(0.05f * largest, 16.0f);
  // Room above the highest geometry for flight.
  float headroom = std::max(0.25f * largest, 64.0f);
  rootMin = boundsMin - Vector3(margin, margin, margin);
  rootMax = boundsMax + Vector3(margin, margin + headroom, margin);
  rootMin.x = std::min(rootMin.x, 0.0f);
  rootMin.y = std::min(rootMin.y, 0.0f);
  rootMin.z = std::min(rootMin.z, 0.0f);
}

void BuildOctree(const std::vector<Vector3>& positions,
                 const std::vector<std::array<int32_t, 3>>& triangles,
                 const std::vector<int32_t>& materials, const Vector3& rootMin,
                 const Vector3& rootMax, const OctreeBuildOptions& options,
                 std::vector<SourceOctreeNode>& nodes, OctreeBuildStats& stats) {
  nodes.clear();
  stats = OctreeBuildStats{};
  std::vector<Cell> cells;

  SourceOctreeNode root;
  root.isLeaf = 1;
  root.boxMin = rootMin;
  root.boxMax = rootMax;
  for (size_t t = 0; t < triangles.size(); ++t) {
    const auto& tri = triangles[t];
    if (TriangleOverlapsBox(positions[tri[0]], positions[tri[1]], positions[tri[2]], rootMin,
                            rootMax)) {
      root.refs.push_back(TriangleRef{materials[t], static_cast<int32_t>(t)});
    }
  }
  nodes.push_back(std::move(root));
  cells.push_back(Cell{0, 0, 0});

  int32_t levels = 1;
  size_t levelBegin = 0;
  for (;;) {
    size_t levelEnd = nodes.size();
    bool deepen;
    if (options.levels > 0) {
      deepen = levels < options.levels;
    } else {
      size_t filled = 0, refs = 0;
      for (size_t i = levelBegin; i < levelEnd; ++i) {
        if (!nodes[i].refs.empty()) ++filled;
        refs += nodes[i].refs.size();
      }
      double mean = filled ? static_cast<double>(refs) / static_cast<double>(filled) : 0.0;
      Vector3 next = CellSizeAt(rootMin, rootMax, levels);
      deepen = levels < options.maxLevels && mean > options.targetRefsPerLeaf &&
               next.x >= options.minCellSize && next.y >= options.minCellSize &&
               next.z >= options.minCellSize;
    }
    if (!deepen) break;

    int64_t n = int64_t{1} << levels;  // cells per axis of the new level
    for (size_t i = levelBegin; i < levelEnd; ++i) {
      nodes[i].isLeaf = 0;
      for (int32_t k = 0; k < 8; ++k) {
        // The cell the game files slot k's node in (see OctreeLayoutCell).
        Cell cell{2 * cells[i].x + OctreeSlotHalf(k, 0), 2 * cells[i].y + OctreeSlotHalf(k, 1),
                  2 * cells[i].z + OctreeSlotHalf(k, 2)};
        SourceOctreeNode child;
        child.isLeaf = 1;
        child.boxMin = Vector3(Boundary(rootMin.x, rootMax.x, cell.x, n),
                               Boundary(rootMin.y, rootMax.y, cell.y, n),
                               Boundary(rootMin.z, rootMax.z, cell.z, n));
        child.boxMax = Vector3(Boundary(rootMin.x, rootMax.x, cell.x + 1, n),
                               Boundary(rootMin.y, rootMax.y, cell.y + 1, n),
                               Boundary(rootMin.z, rootMax.z, cell.z + 1, n));
        for (const TriangleRef& ref : nodes[i].refs) {
          const auto& tri = triangles[ref.triangle];
          if (TriangleOverlapsBox(positions[tri[0]], positions[tri[1]], positions[tri[2]],
                                  child.boxMin, child.boxMax)) {
            child.refs.push_back(ref);
          }
        }
        nodes.push_back(std::move(child));
        cells.push_back(cell);
      }
    }
    levelBegin = levelEnd;
    ++levels;
  }

  stats.levels = levels;
  stats.nodes = nodes.size();
  stats.deepestCellSize = CellSizeAt(rootMin, rootMax, levels - 1);
  for (size_t i = 0; i < nodes.size(); ++i) {
    size_t refs = nodes[i].refs.size();
    stats.totalRefs += refs;
    if (i < levelBegin) continue;
    ++stats.leaves;
    stats.leafRefs += refs;
    if (refs > 0) ++stats.nonEmptyLeaves;
    stats.maxLeafRefs = std::max(stats.maxLeafRefs, refs);
  }
}

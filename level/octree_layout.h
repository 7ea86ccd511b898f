#pragma once
// How the level file lays out its octree, shared by the game's reader and
// the level compiler: the node record, the complete tree's positions and
// the grid cell each position is filed in.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "math/vector3.h"

// A triangle reference as the level file stores it.
struct TriangleRef {
  int32_t material;
  int32_t triangle;
};

// One position of the octree's complete layout: the node's box and its run
// of triangle references. Its children, parent, depth and index follow from
// its position (see OctreeChild), so a node needs 32 bytes. A plain record:
// value-initialised, as the node array is, every field is zero, and a whole
// array of them is cleared at memset speed.
struct OctreeNode {
  Vector3 boxMin;
  Vector3 boxMax;
  uint32_t firstRef;
  uint32_t bits;  // the reference count and the flags below

  // The file's leaf flag.
  static constexpr uint32_t kLeaf = 1u << 31;
  // The file describes this position (it is not under a leaf).
  static constexpr uint32_t kPresent = 1u << 30;
  // This node, if a leaf, or some leaf below it lists a triangle.
  static constexpr uint32_t kLeavesHoldTriangles = 1u << 29;
  static constexpr uint32_t kMaxRefCount = kLeavesHoldTriangles - 1;

  bool IsLeaf() const { return (bits & kLeaf) != 0; }
  bool IsPresent() const { return (bits & kPresent) != 0; }
  bool LeavesHoldTriangles() const { return (bits & kLeavesHoldTriangles) != 0; }
  uint32_t RefCount() const { return bits & kMaxRefCount; }
};

static_assert(std::is_trivial<OctreeNode>::value && sizeof(OctreeNode) == 32,
              "nodes are cleared as plain bytes and packed two to a cache line");

// The deepest tree a level file may describe. A complete tree of this many
// levels already has 153 million nodes.
constexpr int32_t kMaxOctreeLevels = 10;
// Trees up to this many levels (37449 nodes) are accepted from any file;
// deeper ones only when the file is large enough to hold every node.
constexpr int32_t kOctreeLevelsAlwaysAllowed = 6;
// Bytes of a node record without its triangle references: the leaf flag,
// the box's minimum and maximum and the reference count.
constexpr uint64_t kOctreeNodeRecordSize = 29;
// The game packs a reference's triangle index into the low 29 bits and the
// material (0 to 5) into the top 3, so the octree indexes at most this many
// triangles (a level file of over 6 GB).
constexpr uint32_t kMaxOctreeTriangles = 1u << 29;

// Nodes of a complete octree of `levelCount` levels: the sum of 8^l.
inline uint64_t CompleteOctreeNodeCount(int32_t levelCount) {
  uint64_t total = 0;
  uint64_t atLevel = 1;
  for (int32_t l = 0; l < levelCount; ++l) {
    total += atLevel;
    atLevel *= 8;
  }
  return total;
}

// The complete tree's positions: the root at 0, child k (0 to 7) of the node
// at position i at 8 i + k + 1, so the file's breadth-first order is the
// order of the positions.
inline int32_t OctreeChild(int32_t index, int32_t k) { return 8 * index + k + 1; }
inline int32_t OctreeParent(int32_t index) { return (index - 1) / 8; }
inline int32_t OctreeDepth(int32_t index) {
  int32_t depth = 0;
  for (int64_t first = 1, width = 8; index >= first; first += width, width *= 8) ++depth;
  return depth;
}

// Child slot k takes the upper half of its parent's box along x, y and z by
// its bits 2, 1 and 0: 1 for the upper half of `axis` (0 to 2), else 0.
inline int32_t OctreeSlotHalf(int32_t k, int axis) { return (k >> (2 - axis)) & 1; }

// Each depth d of the tree is a grid of 2^d cells per axis over the root's
// box; the level compiler files the node of each position in the cell its
// slots lead to. The cell, x major, of the position `local` places after
// the first of its depth.
inline size_t OctreeLayoutCell(uint32_t local, int32_t depth) {
  size_t x = 0, y = 0, z = 0;
  for (int32_t d = depth - 1; d >= 0; --d) {
    const int32_t k = static_cast<int32_t>((local >> (3 * d)) & 7);
    x = 2 * x + static_cast<size_t>(OctreeSlotHalf(k, 0));
    y = 2 * y + static_cast<size_t>(OctreeSlotHalf(k, 1));
    z = 2 * z + static_cast<size_t>(OctreeSlotHalf(k, 2));
  }
  const size_t n = size_t{1} << depth;
  return (x * n + y) * n + z;
}

// The low ten bits of v, each moved to three times its place.
inline uint32_t SpreadOctreeBits(uint32_t v) {
  v &= 0x3FF;
  v = (v | v << 16) & 0x030000FF;
  v = (v | v << 8) & 0x0300F00F;
  v = (v | v << 4) & 0x030C30C3;
  return (v | v << 2) & 0x09249249;
}

// The inverse of OctreeLayoutCell: the position, after the first of its
// depth, that the level compiler gives the node of cell (x, y, z).
inline uint32_t OctreeLayoutPosition(int32_t x, int32_t y, int32_t z) {
  return SpreadOctreeBits(static_cast<uint32_t>(x)) << 2 |
         SpreadOctreeBits(static_cast<uint32_t>(y)) << 1 |
         SpreadOctreeBits(static_cast<uint32_t>(z));
}

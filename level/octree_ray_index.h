#pragma once
// What the ray query reads besides the octree's nodes: boxes measured from
// the level's triangles once it is read, so that the query passes by the
// empty space around what the upper levels hold and by the triangles of a
// leaf whose box it misses. Private to the octree.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "level/octree.h"
#include "platform/large_arrays.h"
#include "math/vector3.h"

struct OctreeRayIndex {
  struct Box {
    Vector3 min, max;
  };
  // The box, within the root's, of the triangles listed below it. While
  // the level is measured it holds the box of each position of the first
  // kContentLevels levels; the query keeps those in childContents, and
  // this the root's alone.
  static constexpr int32_t kContentLevels = 7;
  platform::LargeArray<Box> contents;
  // The box, within the node's own, of the triangles listed below each of
  // the eight children of a position of the first kContentLevels - 1
  // levels, a side at a time, so that the ray query tests all eight
  // together.
  struct ChildContents {
    float low[3][8];
    float high[3][8];
  };
  platform::LargeArray<ChildContents> childContents;

  // The bounding box of the triangle each reference of a deepest-level node
  // names, in kRefBoxSteps steps a side across the node's RefFrame, grown
  // by a step and cut to the frame. Nodes are stored breadth first, so
  // those references are the last run of the octree's references, from
  // `boxedRefsFrom` on; they are kept in groups of kRefGroup, a side at a
  // time, so that the query tests a group's boxes together. Each such run
  // starts a group, so a group holds one node's references.
  static constexpr uint32_t kRefGroup = 8;
  static constexpr float kRefBoxSteps = 255.0f;
  static constexpr float kPerRefBoxStep = 1.0f / kRefBoxSteps;
  struct BoxSteps {
    uint8_t low[3][kRefGroup];
    uint8_t high[3][kRefGroup];
  };
  // A group's boxes and, unless its record lists it in `inRefs`, the
  // indices of its triangles less the record's `base`: one cache line, so
  // that the query reads a group the line meets in one fetch rather than
  // fetching its references as well.
  struct alignas(64) RefGroup {
    BoxSteps boxes;
    uint16_t fromBase[kRefGroup];
  };
  // Lane k of record s holds the box of the boxes of group kRefGroup * s + k,
  // in the same steps, so that the query tests a leaf's groups eight at a
  // time and reads only those the line meets. Bit k of `inRefs` marks a
  // group whose triangles do not all lie within 65536 of `base`: the query
  // reads its references from the octree's.
  struct alignas(64) GroupRecord {
    BoxSteps boxes;
    uint32_t base;
    uint8_t inRefs;
  };
  // Until measured no reference has a box.
  uint32_t boxedRefsFrom = UINT32_MAX;
  std::vector<RefGroup, platform::ZeroedAllocator<RefGroup>> refGroups;
  std::vector<GroupRecord, platform::ZeroedAllocator<GroupRecord>> groupBoxes;

  // For a node on the level below those of childContents whose children
  // are all deepest-level leaves: the box of what each child holds within
  // its own box, in kRefBoxSteps steps a side across the node's content
  // box (none for a child that holds nothing), and where each child's
  // groups start, child k's from firstGroup + groupsFrom[k] to firstGroup +
  // groupsFrom[k + 1]. One cache line, which the query reads instead of
  // the eight children's records.
  struct alignas(64) LeafSteps {
    BoxSteps boxes;
    uint32_t firstGroup;
    uint8_t groupsFrom[9];
  };
  static constexpr uint32_t kNoLeafSteps = UINT32_MAX;
  // The record in `leafSteps` of each position of that level, from its
  // first on, or kNoLeafSteps; empty for a tree that does not reach below it.
  platform::LargeArray<uint32_t> leafStepsAt;
  std::vector<LeafSteps, platform::ZeroedAllocator<LeafSteps>> leafSteps;

  // Measures every array above for `tree` once it is read; without
  // `leafRecords`, all but leafStepsAt and leafSteps. Once only: the
  // zeroed arrays grow into fresh room.
  void Measure(const Octree& tree, const Vector3* positions, const LevelTriangle* triangles,
               bool leafRecords);
  size_t MemoryBytes() const;

  // The box a node's reference boxes are measured in: the node's own,
  // grown on every side by a quarter of its size and a thousandth of the
  // root's largest side, so that a flat level's flat cells still have room.
  // Inline: the ray query works one out for every deepest leaf it enters.
  static Box RefFrame(const OctreeNode& node, const OctreeNode& root) {
    const Vector3 rootSize = root.boxMax - root.boxMin;
    const float largest = rootSize.x > rootSize.y ? rootSize.x : rootSize.y;
    const float room = 1e-3f * (largest > rootSize.z ? largest : rootSize.z);
    const Vector3 size = node.boxMax - node.boxMin;
    const Vector3 grow(0.25f * size.x + room, 0.25f * size.y + room, 0.25f * size.z + room);
    return Box{node.boxMin - grow, node.boxMax + grow};
  }

  // The content box of the node at `index`, from its parent's
  // childContents. Inline: the ray query reads one for every node of
  // leafSteps it enters.
  Box ContentBox(int32_t index) const {
    const ChildContents& around = childContents[OctreeParent(index)];
    const int32_t k = (index - 1) % 8;
    return Box{Vector3(around.low[0][k], around.low[1][k], around.low[2][k]),
               Vector3(around.high[0][k], around.high[1][k], around.high[2][k])};
  }

 private:
  // Fills `refGroups` and `groupBoxes`; with `growAncestors`, each leaf's
  // boxes also grow its ancestor's in `contents`.
  void MeasureRefBoxes(const Octree& tree, const Vector3* positions,
                       const LevelTriangle* triangles, bool growAncestors);
  // Fills `leafStepsAt` and `leafSteps` once the groups and childContents
  // are measured.
  void MeasureLeafSteps(const Octree& tree);
  // The position on the deepest level of `contents` above `index`.
  size_t MeasuredAncestor(size_t index) const;
};

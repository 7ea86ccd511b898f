#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/large_arrays.h"
#include "world/vector3.h"

class ByteReader;
class Entity;
struct LevelTriangle;

struct TriangleRef {
  int32_t material;
  int32_t triangle;
};

struct Ray {
  Vector3 origin;
  Vector3 direction;
};

// One position of the octree's complete layout: the node's box and its run
// of triangle references in Octree::refs. Its children, parent, depth and
// index follow from its position (see Octree), so a node needs 32 bytes.
// A plain record: value-initialised, as the node array is, every field is
// zero, and a whole array of them is cleared at memset speed.
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

// The deepest tree a level file may describe. A complete tree of this many
// levels already has 153 million nodes.
constexpr int32_t kMaxOctreeLevels = 10;
// Trees up to this many levels (37449 nodes) are accepted from any file;
// deeper ones only when the file is large enough to hold every node.
constexpr int32_t kOctreeLevelsAlwaysAllowed = 6;
// Bytes of a node record without its triangle references.
constexpr uint64_t kOctreeNodeRecordSize = 29;
// A stored reference packs the triangle index into the low 29 bits and the
// material (0 to 5) into the top 3, so the octree indexes at most this many
// triangles (a level file of over 6 GB).
constexpr uint32_t kMaxOctreeTriangles = 1u << 29;

// Nodes of a complete octree of `levelCount` levels: the sum of 8^l.
uint64_t CompleteOctreeNodeCount(int32_t levelCount);

// The level's spatial index of collision triangles, stored complete in the
// level file and read as it is. `nodes` holds the complete tree of
// `levelCount` levels: the root at position 0, child k (0 to 7) of the node
// at position i at 8 i + k + 1; positions under a leaf stay empty. Each
// node is filed in the grid cell of its depth that holds its box's centre;
// NodeInCell names the node filed in a cell.
class Octree {
 public:
  Octree() = default;
  Octree(const Octree&) = delete;
  Octree& operator=(const Octree&) = delete;
  // A moved octree keeps its node storage, so `root` stays valid; the source
  // is left empty.
  Octree(Octree&& other) noexcept;
  Octree& operator=(Octree&& other) noexcept;

  // Reads the octree section; false with a reason in `reader` when the
  // section is damaged or does not fit the triangles it indexes. The octree
  // is left empty then.
  bool Read(ByteReader& reader, uint32_t triangleCount);
  void Clear();

  bool RayCast(const Ray* ray, float maxDistance, float* hitDistance) const;
  // RayCast as it runs on a processor without AVX2: the same answers, four
  // boxes to a vector instead of eight.
  bool RayCastNarrow(const Ray* ray, float maxDistance, float* hitDistance) const;

  // Collides one entity with the level; `unused` and `dt` are not read.
  void Collide(Entity* entity, float* unused, float dt) const;
  void CollideSphere(Entity* entity) const;
  void CollideNode(const OctreeNode* node, uint32_t stamp, Entity* entity) const;

  // The position of the node filed in cell (x, y, z) of `depth`, each
  // coordinate within the depth's cells per axis; -1 for none.
  int32_t NodeInCell(int32_t depth, int32_t x, int32_t y, int32_t z) const;

  static int32_t Child(int32_t index, int32_t k) { return 8 * index + k + 1; }
  static int32_t Parent(int32_t index) { return (index - 1) / 8; }
  static int32_t Depth(int32_t index);
  // Reference r of `refs`, unpacked.
  TriangleRef Ref(uint32_t r) const {
    return TriangleRef{static_cast<int32_t>(refs[r] >> 29),
                       static_cast<int32_t>(refs[r] & (kMaxOctreeTriangles - 1))};
  }
  // Bytes held by the nodes, references, grids and the boxes kept for the
  // ray query.
  size_t MemoryBytes() const;

  // Works out `contents`, `refGroups` and `groupBoxes` from the level's
  // vertices and triangles, once the level is read; the ray query then
  // passes by the empty space around what the upper levels hold and by the
  // triangles of a leaf whose box it misses. Without them the query is
  // slower, not wrong.
  void MeasureContents(const Vector3* positions, const LevelTriangle* triangles);

  const OctreeNode* root = nullptr;
  int32_t levelCount = 0;
  // Positions under a leaf stay all zero, as calloc gives them.
  std::vector<OctreeNode, platform::ZeroedAllocator<OctreeNode>> nodes;
  // Every node's run, packed as Ref unpacks them; a run of the deepest
  // level starts on a multiple of kRefGroup, and the slots skipped belong to
  // no node. Reserved for the most the file could hold and zero from the
  // start, so a run is appended without clearing it first.
  std::vector<uint32_t, platform::ZeroedAllocator<uint32_t>> refs;
  std::vector<int32_t> cellsPerAxis;
  std::vector<Vector3> cellSize;
  // For a depth whose nodes do not all lie in the cells their positions
  // name, as the level compiler lays them out, the position of the node
  // filed in each cell, -1 for none; empty for a depth that keeps to the
  // layout. Read through NodeInCell.
  using CellTable = platform::LargeArray<int32_t>;
  std::vector<CellTable> grid;
  Vector3 offset{0, 0, 0};
  // The box, within the root's, of the triangles listed below it. While
  // the level is measured it holds the box of each position of the first
  // kContentLevels levels; the query keeps those in childContents.
  struct Box {
    Vector3 min, max;
  };
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
  // names, in 255 steps a side across the node's RefFrame, grown by a step
  // and cut to the frame. Nodes are stored breadth first, so those
  // references are the last run of `refs`, from `boxedRefsFrom` on; they
  // are kept in groups of kRefGroup, a side at a time, so that the query
  // tests a group's boxes together. Each such run starts a group, so a
  // group holds one node's references.
  static constexpr uint32_t kRefGroup = 8;
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
  // reads its references from `refs`.
  struct alignas(64) GroupRecord {
    BoxSteps boxes;
    uint32_t base;
    uint8_t inRefs;
  };
  uint32_t boxedRefsFrom = 0;
  std::vector<RefGroup, platform::ZeroedAllocator<RefGroup>> refGroups;
  std::vector<GroupRecord, platform::ZeroedAllocator<GroupRecord>> groupBoxes;
  // For a node on the level below those of childContents whose children
  // are all deepest-level leaves: the box of what each child holds within
  // its own box, in 255 steps a side across the node's content box (none
  // for a child that holds nothing), and where each child's groups start,
  // child k's from firstGroup + groupsFrom[k] to firstGroup +
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

 private:
  // The ray query, testing eight boxes in one vector when kWide.
  template <bool kWide>
  bool CastRay(const Ray* ray, float maxDistance, float* hitDistance) const;
  bool RayCastWide(const Ray* ray, float maxDistance, float* hitDistance) const;
  // The box a node's reference boxes are measured in: the node's own,
  // grown on every side by a quarter of its size and a thousandth of the
  // root's largest side, so that a flat level's flat cells still have room.
  Box RefFrame(const OctreeNode& node) const;
  bool ReadNode(ByteReader& reader, int32_t index, uint32_t triangleCount, bool deepest);
  bool ReadNodes(ByteReader& reader, uint32_t triangleCount);
  bool FileInGrid(ByteReader& reader, int32_t index, int32_t depth, int32_t levelFirst,
                  const Vector3& inverse);
  // Fills `refGroups` and `groupBoxes`; with `growAncestors`, each leaf's
  // boxes also grow its ancestor's in `contents`.
  void MeasureRefBoxes(const Vector3* positions, const LevelTriangle* triangles,
                       bool growAncestors);
  // The content box of the node at `index`, from its parent's childContents.
  Box ContentBox(int32_t index) const;
  // Fills `leafStepsAt` and `leafSteps` once the groups and childContents
  // are measured.
  void MeasureLeafSteps();
  // The position on the deepest level of `contents` above `index`.
  size_t MeasuredAncestor(size_t index) const;
};

// The stamp of a new level query: the tick count, or one past the previous
// query's stamp when the clock has not moved on since, so that two queries
// made with the same tag in one millisecond still test every triangle.
uint32_t NextQueryStamp();

bool RayHitsBox(const Ray* ray, const Vector3& min, const Vector3& max);
bool SegmentHitsTriangle(const Ray* ray, const Vector3& a, const Vector3& b, const Vector3& c,
                         float length, float* u, float* v, float* w, float* t);

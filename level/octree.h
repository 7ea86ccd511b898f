#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "level/octree_layout.h"
#include "platform/large_arrays.h"
#include "math/vector3.h"

class ByteReader;
class Entity;
struct LevelTriangle;
struct OctreeRayIndex;

struct Ray {
  Vector3 origin;
  Vector3 direction;
};

// The level's spatial index of collision triangles, stored complete in the
// level file and read as it is (see octree_layout.h): the ray query and the
// sphere query of the game's collision.
class Octree {
 public:
  // Every position of the complete tree; those under a leaf stay all zero,
  // as calloc gives them.
  using NodeArray = std::vector<OctreeNode, platform::ZeroedAllocator<OctreeNode>>;

  Octree();
  ~Octree();
  Octree(const Octree&) = delete;
  Octree& operator=(const Octree&) = delete;
  // A moved octree keeps its node storage, so Root() stays valid; the
  // source is left empty.
  Octree(Octree&& other) noexcept;
  Octree& operator=(Octree&& other) noexcept;

  // Reads the octree section; false with a reason in `reader` when the
  // section is damaged or does not fit the triangles it indexes. The octree
  // is left empty then.
  bool Read(ByteReader& reader, uint32_t triangleCount);
  // Measures, from the level's vertices and triangles once the level is
  // read, the boxes by which the ray query passes by empty space and by the
  // triangles of a leaf whose box it misses. Without them the query is
  // slower, not wrong; with `leafRecords` false the query reads the deepest
  // leaves' own boxes where it would read their parent's record of them.
  void MeasureContents(const Vector3* positions, const LevelTriangle* triangles,
                       bool leafRecords = true);
  void Clear();

  // The nearest front face hit within `maxDistance` along the ray, its
  // distance in `*hitDistance` (`maxDistance` when none).
  bool RayCast(const Ray* ray, float maxDistance, float* hitDistance) const;
  // RayCast as it runs on a processor without AVX2: the same answers, four
  // boxes to a vector instead of eight.
  bool RayCastNarrow(const Ray* ray, float maxDistance, float* hitDistance) const;

  // Collides one entity with the level; `unused` and `dt` are not read.
  void Collide(Entity* entity, float* unused, float dt) const;

  // Bytes held by the nodes, references, grids and the boxes kept for the
  // ray query.
  size_t MemoryBytes() const;

  // The tree as the file describes it: null and empty until one is read.
  const OctreeNode* Root() const { return root_; }
  int32_t LevelCount() const { return levelCount_; }
  const NodeArray& Nodes() const { return nodes_; }
  // Reference r of a node's run, from firstRef on.
  TriangleRef Ref(uint32_t r) const {
    return TriangleRef{static_cast<int32_t>(refs_[r] >> 29),
                       static_cast<int32_t>(refs_[r] & (kMaxOctreeTriangles - 1))};
  }
  // The size of a grid cell of `depth`: the root's box halved `depth` times.
  const Vector3& CellSize(int32_t depth) const { return cellSize_[depth]; }

 private:
  friend struct OctreeRayIndex;

  // The ray query, testing eight boxes in one vector when kWide.
  template <bool kWide>
  bool CastRay(const Ray* ray, float maxDistance, float* hitDistance) const;
  bool RayCastWide(const Ray* ray, float maxDistance, float* hitDistance) const;

  void CollideSphere(Entity* entity) const;
  void CollideNode(const OctreeNode* node, uint32_t stamp, Entity* entity) const;
  // The position of the node filed in cell (x, y, z) of `depth`, each
  // coordinate within the depth's cells per axis; -1 for none.
  int32_t NodeInCell(int32_t depth, int32_t x, int32_t y, int32_t z) const;

  bool ReadNode(ByteReader& reader, int32_t index, uint32_t triangleCount, bool deepest);
  bool ReadNodes(ByteReader& reader, uint32_t triangleCount);
  bool FileInGrid(ByteReader& reader, int32_t index, int32_t depth, int32_t levelFirst,
                  const Vector3& inverse);

  const OctreeNode* root_ = nullptr;
  int32_t levelCount_ = 0;
  NodeArray nodes_;
  // Every node's run, packed as Ref unpacks them; a run of the deepest
  // level starts on a multiple of OctreeRayIndex::kRefGroup, and the slots
  // skipped belong to no node. Reserved for the most the file could hold
  // and zero from the start, so a run is appended without clearing it first.
  std::vector<uint32_t, platform::ZeroedAllocator<uint32_t>> refs_;
  std::vector<int32_t> cellsPerAxis_;
  std::vector<Vector3> cellSize_;
  // For a depth whose nodes do not all lie in the cells their positions
  // name, as the level compiler lays them out, the position of the node
  // filed in each cell, -1 for none; empty for a depth that keeps to the
  // layout. Read through NodeInCell.
  using CellTable = platform::LargeArray<int32_t>;
  std::vector<CellTable> grid_;
  // Moves the root's box so that its grid starts at 0 on every axis.
  Vector3 offset_{0, 0, 0};
  // What the ray query reads besides the nodes; null until measured.
  std::unique_ptr<OctreeRayIndex> rayIndex_;
};

// The ray, from its origin on, crosses the box (the slab test); along an
// axis the direction runs almost parallel to, only an origin within the
// box's slab passes.
bool RayHitsBox(const Ray* ray, const Vector3& min, const Vector3& max);
// The segment from the ray's origin to `length` along its direction meets
// the triangle's front face; its barycentric coordinates in u, v, w and the
// fraction of the segment in t, each when not null.
bool SegmentHitsTriangle(const Ray* ray, const Vector3& a, const Vector3& b, const Vector3& c,
                         float length, float* u, float* v, float* w, float* t);

#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "world/vector3.h"

class ByteReader;
class Entity;

struct TriangleRef {
  int32_t material;
  int32_t triangle;
};

struct Ray {
  Vector3 origin;
  Vector3 direction;
};

struct OctreeNode {
  uint8_t isLeaf = 0;
  Vector3 boxMin{0, 0, 0};
  Vector3 boxMax{0, 0, 0};
  OctreeNode* children[8] = {};
  OctreeNode* parent = nullptr;
  int32_t refCount = 0;
  std::vector<TriangleRef> refs;
  int32_t depth = 0;
  int32_t index = 0;

  // Reads one node record; false with the reason in `reader` when the record
  // is cut short or names a material or triangle the level does not have.
  bool Read(ByteReader& reader, uint32_t triangleCount);
  bool RayCast(uint32_t stamp, const Ray* ray, float maxDistance, float* hitDistance) const;
};

// The deepest tree a level file may describe. A complete tree of this many
// levels already has 153 million nodes.
constexpr int32_t kMaxOctreeLevels = 10;
// Trees up to this many levels (37449 nodes) are accepted from any file;
// deeper ones only when the file is large enough to hold every node.
constexpr int32_t kOctreeLevelsAlwaysAllowed = 6;
// Bytes of a node record without its triangle references.
constexpr uint64_t kOctreeNodeRecordSize = 29;

// Nodes of a complete octree of `levelCount` levels: the sum of 8^l.
uint64_t CompleteOctreeNodeCount(int32_t levelCount);

// The level's spatial index of collision triangles, stored complete in the
// level file and read as it is. `root`, the children and parents and the
// grid all point into `nodes`.
class Octree {
 public:
  Octree() = default;
  Octree(const Octree&) = delete;
  Octree& operator=(const Octree&) = delete;
  // A moved octree keeps its node storage, so every pointer into it stays
  // valid; the source is left empty.
  Octree(Octree&& other) noexcept;
  Octree& operator=(Octree&& other) noexcept;

  // Reads the octree section; false with a reason in `reader` when the
  // section is damaged or does not fit the triangles it indexes. The octree
  // is left empty then.
  bool Read(ByteReader& reader, uint32_t triangleCount);
  void Clear();

  bool RayCast(const Ray* ray, float maxDistance, float* hitDistance) const;

  // Collides one entity with the level; `unused` and `dt` are not read.
  void Collide(Entity* entity, float* unused, float dt) const;
  void CollideSphere(Entity* entity) const;
  void CollideNode(const OctreeNode* node, uint32_t stamp, Entity* entity) const;

  OctreeNode* root = nullptr;
  int32_t levelCount = 0;
  std::vector<OctreeNode> nodes;
  std::vector<int32_t> cellsPerAxis;
  std::vector<Vector3> cellSize;
  std::vector<std::vector<OctreeNode*>> grid;
  Vector3 offset{0, 0, 0};

 private:
  bool ReadNodes(ByteReader& reader, uint32_t triangleCount, const Vector3& rootSize);
  bool FileInGrid(ByteReader& reader, OctreeNode* node, const Vector3& rootSize);
};

// The stamp of a new level query: the tick count, or one past the previous
// query's stamp when the clock has not moved on since, so that two queries
// made with the same tag in one millisecond still test every triangle.
uint32_t NextQueryStamp();

bool RayHitsBox(const Ray* ray, const Vector3& min, const Vector3& max);
bool SegmentHitsTriangle(const Ray* ray, const Vector3& a, const Vector3& b, const Vector3& c,
                         float length, float* u, float* v, float* w, float* t);

#pragma once
#include <cstdint>
#include <memory>
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

  bool RayCast(uint32_t stamp, const Ray* ray, float maxDistance, float* hitDistance) const;
};

// The level's spatial index of collision triangles, stored complete in the
// level file and read as it is.
class Octree {
 public:
  Octree() = default;
  Octree(Octree&&) noexcept = default;
  Octree& operator=(Octree&&) noexcept = default;

  // Reads the octree section; false with a reason in `reader` when the
  // section is damaged or does not fit the triangles it indexes.
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
};

bool RayHitsBox(const Ray* ray, const Vector3& min, const Vector3& max);
bool SegmentHitsTriangle(const Ray* ray, const Vector3& a, const Vector3& b, const Vector3& c,
                         float length, float* u, float* v, float* w, float* t);

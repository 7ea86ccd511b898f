#include "level/octree.h"

#include "level/level_data.h"

Vector3* gLevelVertices = nullptr;
LevelTriangle* gLevelTriangles = nullptr;
Material* gLevelMaterials = nullptr;

bool OctreeNode::RayCast(uint32_t, const Ray*, float, float*) const { return false; }
bool Octree::Read(ByteReader&, uint32_t) { return false; }
void Octree::Clear() {}
bool Octree::RayCast(const Ray*, float, float*) const { return false; }
void Octree::Collide(Entity*, float*, float) const {}
void Octree::CollideSphere(Entity*) const {}
void Octree::CollideNode(const OctreeNode*, uint32_t, Entity*) const {}

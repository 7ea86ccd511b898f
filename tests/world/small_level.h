#pragma once
#include "level/level_data.h"
#include "world/world.h"

// A floor (y = 0, facing up) and a wall (x = 0) meeting along the z axis,
// 100 units across, held by an octree of one node. Points the process-wide
// level views at the world's arrays.
inline void BuildCornerLevel(World& world) {
  world.positions = {{-50, 0, -50}, {-50, 0, 50}, {50, 0, -50},
                     {0, -50, -50}, {0, 50, -50}, {0, -50, 50}};
  world.triangles.resize(2);
  for (int t = 0; t < 2; ++t) {
    for (int c = 0; c < 3; ++c) world.triangles[t].vertex[c] = t * 3 + c;
    world.triangles[t].plane = Plane::FromPoints(world.positions[t * 3], world.positions[t * 3 + 1],
                                                 world.positions[t * 3 + 2]);
  }
  world.vertexCount = 6;
  world.triangleCount = 2;
  gLevelVertices = world.positions.data();
  gLevelTriangles = world.triangles.data();
  gLevelMaterials = nullptr;

  Octree& octree = world.octree;
  octree.nodes.resize(1);
  OctreeNode& root = octree.nodes[0];
  octree.root = &root;
  root.isLeaf = 1;
  root.boxMin = Vector3(-100, -100, -100);
  root.boxMax = Vector3(100, 100, 100);
  root.refs = {{0, 0}, {0, 1}};
  root.refCount = 2;
  octree.levelCount = 1;
  octree.cellsPerAxis = {1};
  octree.cellSize = {Vector3(200, 200, 200)};
  octree.grid = {{octree.root}};
}

inline void ForgetLevel() {
  gLevelVertices = nullptr;
  gLevelTriangles = nullptr;
}

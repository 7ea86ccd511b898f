#pragma once
#include <vector>

#include "assets/byte_reader.h"
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

  // The octree section of a level file: one level, the root a leaf
  // listing both triangles.
  std::vector<uint8_t> section;
  auto put = [&section](const void* p, size_t n) {
    section.insert(section.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
  };
  const int32_t levels = 1, refs[5] = {2, 0, 0, 0, 1};
  const uint8_t leaf = 1;
  const float box[6] = {-100, -100, -100, 100, 100, 100};
  put(&levels, 4);
  put(&leaf, 1);
  put(box, sizeof box);
  put(refs, sizeof refs);
  ByteReader reader(section);
  world.octree.Read(reader, 2);
}

inline void ForgetLevel() {
  gLevelVertices = nullptr;
  gLevelTriangles = nullptr;
}

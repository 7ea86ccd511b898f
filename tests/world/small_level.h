#pragma once
#include <vector>

#include "assets/byte_reader.h"
#include "level/level_data.h"
#include "world/world.h"

// A level of the given triangles (each three consecutive corners, counter-
// clockwise seen from the front) held by an octree of one node spanning
// `boxMin` to `boxMax`. Points the process-wide level views at the world's
// arrays.
inline void BuildTriangleLevel(World& world, const std::vector<Vector3>& corners,
                               const Vector3& boxMin, const Vector3& boxMax) {
  const int32_t count = static_cast<int32_t>(corners.size() / 3);
  world.positions.assign(corners.begin(), corners.end());
  world.triangles.resize(count);
  for (int32_t t = 0; t < count; ++t) {
    for (int c = 0; c < 3; ++c) world.triangles[t].vertex[c] = t * 3 + c;
    world.triangles[t].plane = Plane::FromPoints(corners[t * 3], corners[t * 3 + 1], corners[t * 3 + 2]);
  }
  world.vertexCount = static_cast<uint32_t>(corners.size());
  world.triangleCount = static_cast<uint32_t>(count);
  gLevelVertices = world.positions.data();
  gLevelTriangles = world.triangles.data();
  gLevelMaterials = nullptr;

  // The octree section of a level file: one level, the root a leaf
  // listing every triangle.
  std::vector<uint8_t> section;
  auto put = [&section](const void* p, size_t n) {
    section.insert(section.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
  };
  const int32_t levels = 1;
  const uint8_t leaf = 1;
  const float box[6] = {boxMin.x, boxMin.y, boxMin.z, boxMax.x, boxMax.y, boxMax.z};
  put(&levels, 4);
  put(&leaf, 1);
  put(box, sizeof box);
  put(&count, 4);
  for (int32_t t = 0; t < count; ++t) {
    const int32_t ref[2] = {0, t};
    put(ref, sizeof ref);
  }
  ByteReader reader(section);
  world.octree.Read(reader, world.triangleCount);
  world.octree.MeasureContents(world.positions.data(), world.triangles.data());
}

// A floor (y = 0, facing up) and a wall (x = 0) meeting along the z axis,
// 100 units across.
inline void BuildCornerLevel(World& world) {
  BuildTriangleLevel(world,
                     {{-50, 0, -50}, {-50, 0, 50}, {50, 0, -50}, {0, -50, -50}, {0, 50, -50},
                      {0, -50, 50}},
                     Vector3(-100, -100, -100), Vector3(100, 100, 100));
}

// A floor 400 units square at y = 0 split by a wall along x = 0, 60 high,
// solid from both sides.
inline void BuildWalledFieldLevel(World& world) {
  const float s = 200.0f, h = 60.0f;
  BuildTriangleLevel(world,
                     {{-s, 0, -s}, {-s, 0, s}, {s, 0, s}, {-s, 0, -s}, {s, 0, s}, {s, 0, -s},
                      // the wall's +x face, then its -x face
                      {0, 0, -s}, {0, h, -s}, {0, h, s}, {0, 0, -s}, {0, h, s}, {0, 0, s},
                      {0, 0, -s}, {0, h, s}, {0, h, -s}, {0, 0, -s}, {0, 0, s}, {0, h, s}},
                     Vector3(-s - 10, -10, -s - 10), Vector3(s + 10, 200, s + 10));
}

inline void ForgetLevel() {
  gLevelVertices = nullptr;
  gLevelTriangles = nullptr;
}

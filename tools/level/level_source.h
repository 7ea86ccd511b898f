#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "level/level_data.h"
#include "level/octree_layout.h"
#include "math/vector3.h"

// A level exactly as the level file lays it out, ready to be written.
struct SourceGroup {
  int32_t material = 0;
  std::vector<uint32_t> indices;  // three per triangle
};

struct SourceOctreeNode {
  uint8_t isLeaf = 1;
  Vector3 boxMin{0, 0, 0};
  Vector3 boxMax{0, 0, 0};
  std::vector<TriangleRef> refs;
};

struct SourcePathNode {
  Vector3 position{0, 0, 0};
  std::vector<uint32_t> links;
};

struct LevelSource {
  int32_t headerUnused = 0;  // the header field at offset 16
  std::vector<std::string> materialNames;
  std::vector<Vector3> positions;
  std::vector<Vector3> normals;
  std::vector<TexCoord> texCoords;
  std::vector<std::array<int32_t, 3>> triangles;
  std::vector<SourceGroup> groups;  // one per material name
  int32_t octreeLevels = 0;
  std::vector<SourceOctreeNode> octreeNodes;  // in the file's breadth-first order
  std::vector<SourcePathNode> pathNodes;
  std::vector<SpawnPoint> spawnPoints;
  // Baked light, one per vertex; empty writes no colour section.
  std::vector<Colour> colours;
};

#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "level/level_data.h"
#include "math/vector3.h"

// A level as an author describes it: a triangle mesh with one material per
// triangle, spawn points and a path graph. BuildLevel turns it into a
// LevelSource.
struct MeshTriangle {
  uint32_t vertex[3];
  int32_t material;  // index into materialNames
};

struct LevelMesh {
  std::vector<std::string> materialNames;
  std::vector<Vector3> positions;
  std::vector<Vector3> normals;
  std::vector<TexCoord> texCoords;
  std::vector<Colour> colours;  // baked light per vertex, or empty
  std::vector<MeshTriangle> triangles;
  std::vector<Vector3> spawnPoints;  // the first is where the ship starts
  std::vector<Vector3> droneSpawns;  // where drones start, one each
  std::vector<Vector3> pathNodes;
  std::vector<std::pair<uint32_t, uint32_t>> pathLinks;  // both directions
};

#pragma once
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "level/octree.h"
#include "platform/large_arrays.h"
#include "math/vector3.h"

// Which side of a plane a sphere lies on (there is no 2).
enum PlaneSide : int32_t {
  PLANE_FRONT = 0,
  PLANE_BEHIND = 1,
  PLANE_INTERSECTS = 3,
};

struct Plane {
  Vector3 normal;
  Vector3 point;
  float distance;

  static Plane FromPoints(const Vector3& a, const Vector3& b, const Vector3& c);
  // Stores the signed distance of `centre` in `*signedDistance`; a sphere
  // whose distance is exactly `radius` intersects.
  PlaneSide ClassifySphere(const Vector3& centre, float radius, float* signedDistance) const;
};

// One collision triangle, with the tag and stamp of the last query that
// tested it (see Octree).
struct LevelTriangle {
  const void* queryTag = nullptr;
  uint32_t queryStamp = 0;
  int32_t vertex[3] = {0, 0, 0};
  Plane plane{};
};

// The triangles of one material, as indices for one draw call.
struct MaterialGroup {
  int32_t material = 0;
  int32_t capacity = 0;
  int32_t count = 0;
  platform::LargeArray<uint32_t> indices;
};

struct PathNode {
  Vector3 position{0, 0, 0};
  uint32_t linkCount = 0;
  std::vector<uint32_t> links;
};

// What a spawn point is for, its first field: a drone starts at a point of
// kind 1; a point of any other kind is a place for a ship.
enum SpawnKind : int32_t {
  kSpawnShip = 0,
  kSpawnDrone = 1,
};

struct SpawnPoint {
  int32_t kind = kSpawnShip;
  Vector3 position{0, 0, 0};

  bool IsDrone() const { return kind == kSpawnDrone; }
};

struct TexCoord {
  float s, t;
};

struct Colour {
  float r, g, b, a;
};

// At most six materials: the game has six level material slots.
constexpr int kMaxLevelMaterials = 6;
// "textures/" + name + ".bmp" must fit the 80-byte path of the format.
constexpr int kMaxMaterialNameLength = 66;

// A material whose name begins with "path" or with a digit is drawn without
// a texture; any other is drawn with "textures/<name>.bmp".
inline bool MaterialHasTexture(const std::string& name) {
  if (name.compare(0, 4, "path") == 0) return false;
  return name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]));
}

// Everything a level file holds, as the World keeps it.
struct LevelData {
  bool loaded = false;
  int32_t materialCount = 0;
  std::vector<std::string> materialNames;
  uint32_t vertexCount = 0;
  platform::LargeArray<Vector3> positions;
  platform::LargeArray<Vector3> normals;
  platform::LargeArray<TexCoord> texCoords;
  platform::LargeArray<Colour> colours;
  std::vector<MaterialGroup> groups;
  uint32_t triangleCount = 0;
  platform::LargeArray<LevelTriangle> triangles;
  Octree octree;
  uint32_t pathNodeCount = 0;
  std::vector<PathNode> pathNodes;
  uint32_t spawnPointCount = 0;
  std::vector<SpawnPoint> spawnPoints;
};

// Process-wide views of the loaded level for the octree and collision code.
extern Vector3* gLevelVertices;
extern LevelTriangle* gLevelTriangles;

struct Material;
// The Game's six level materials, once their textures have loaded.
extern Material* gLevelMaterials;

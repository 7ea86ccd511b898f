// The level compiler: the triangle-box test, the octree builder, the level
// builder's checks, mesh import, and the default level it makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>

#include "assets/byte_reader.h"
#include "level/collision.h"
#include "level/level_reader.h"
#include "tests/level/level_test_support.h"
#include "tests/level/recording_entity.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tools/level/level_builder.h"
#include "tools/level/mesh_import.h"
#include "tools/level/triangle_box.h"

namespace {

TEST(TriangleOverlapsBox, SeparatesOnlyWhenSomeAxisSeparates) {
  Vector3 lo(0, 0, 0), hi(1, 1, 1);
  struct Case {
    const char* what;
    Vector3 a, b, c;
    bool overlaps;
  };
  const Case cases[] = {
      {"inside", Vector3(0.2f, 0.2f, 0.2f), Vector3(0.8f, 0.2f, 0.2f), Vector3(0.2f, 0.8f, 0.2f),
       true},
      {"cutting through, corners all outside", Vector3(-5, 0.5f, -5), Vector3(-5, 0.5f, 5),
       Vector3(5, 0.5f, -5), true},
      {"touching a face", Vector3(1, 0, 0), Vector3(1, 1, 0), Vector3(1, 0, 1), true},
      {"beside it", Vector3(1.01f, 0, 0), Vector3(1.01f, 1, 0), Vector3(1.01f, 0, 1), false},
      {"plane clear of the box", Vector3(-5, 1.5f, -5), Vector3(-5, 1.5f, 5), Vector3(5, 1.5f, -5),
       false},
      // Bounds overlap and the plane cuts the box, but the hypotenuse
      // passes clear of the corner at (1, y, 1).
      {"only an edge axis separates", Vector3(1.5f, -1, 3), Vector3(1.5f, 2, 3),
       Vector3(3, 0.5f, 1.5f), false},
      {"its edge clips the corner", Vector3(1.2f, -1, 0.5f), Vector3(1.2f, 2, 0.5f),
       Vector3(0.5f, 0.5f, 1.2f), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TriangleOverlapsBox(c.a, c.b, c.c, lo, hi), c.overlaps) << c.what;
  }
}

TEST(TriangleOverlapsBox, AgreesWithSamplingThePointsOfTheTriangle) {
  // Any sampled point inside the box proves an overlap.
  std::mt19937 random(5);
  std::uniform_real_distribution<float> coordinate(-1.5f, 2.5f);
  int overlapping = 0;
  for (int i = 0; i < 2000; ++i) {
    Vector3 a(coordinate(random), coordinate(random), coordinate(random));
    Vector3 b(coordinate(random), coordinate(random), coordinate(random));
    Vector3 c(coordinate(random), coordinate(random), coordinate(random));
    bool sampled = false;
    for (int u = 0; u <= 40 && !sampled; ++u) {
      for (int v = 0; u + v <= 40 && !sampled; ++v) {
        Vector3 p = a + (b - a) * (u / 40.0f) + (c - a) * (v / 40.0f);
        sampled = p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1 && p.z >= 0 && p.z <= 1;
      }
    }
    bool exact = TriangleOverlapsBox(a, b, c, Vector3(0, 0, 0), Vector3(1, 1, 1));
    if (sampled) {
      EXPECT_TRUE(exact) << i;
    }
    overlapping += exact;
  }
  EXPECT_GT(overlapping, 200);
}

LevelMesh Square(float size, float x = 0, float z = 0) {
  LevelMesh mesh;
  mesh.materialNames = {"grass"};
  for (Vector3 p : {Vector3(x, 0, z), Vector3(x, 0, z + size), Vector3(x + size, 0, z),
                    Vector3(x + size, 0, z + size)}) {
    mesh.positions.push_back(p);
    mesh.normals.push_back(Vector3(0, 1, 0));
    mesh.texCoords.push_back(TexCoord{0, 0});
  }
  mesh.triangles = {MeshTriangle{{0, 1, 2}, 0}, MeshTriangle{{2, 1, 3}, 0}};
  return mesh;
}

std::string BuildError(const LevelMesh& mesh, OctreeBuildOptions options = {}) {
  LevelSource source;
  LevelBuildReport report;
  std::string error;
  if (BuildLevel(mesh, options, source, report, error)) return "";
  return error;
}

TEST(LevelBuilder, EveryNodeListsExactlyTheTrianglesThatOverlapItsBox) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> coordinate(-60, 60);
  LevelMesh mesh;
  mesh.materialNames = {"a", "b"};
  for (int i = 0; i < 200; ++i) {
    Vector3 centre(coordinate(random), coordinate(random) * 0.3f, coordinate(random));
    for (int k = 0; k < 3; ++k) {
      mesh.positions.push_back(
          centre + Vector3(coordinate(random), coordinate(random), coordinate(random)) * 0.2f);
      mesh.normals.push_back(Vector3(0, 1, 0));
      mesh.texCoords.push_back(TexCoord{0, 0});
    }
    uint32_t v = 3 * i;
    mesh.triangles.push_back(MeshTriangle{{v, v + 1, v + 2}, i % 2});
  }
  OctreeBuildOptions options;
  options.levels = 3;
  LevelSource source;
  LevelBuildReport report;
  std::string error;
  ASSERT_TRUE(BuildLevel(mesh, options, source, report, error)) << error;
  ASSERT_EQ(source.octreeNodes.size(), 73u);
  for (const SourceOctreeNode& node : source.octreeNodes) {
    std::set<int32_t> listed;
    for (const TriangleRef& ref : node.refs) {
      listed.insert(ref.triangle);
      EXPECT_EQ(ref.material, ref.triangle % 2);
    }
    for (size_t t = 0; t < source.triangles.size(); ++t) {
      const auto& tri = source.triangles[t];
      bool overlaps = TriangleOverlapsBox(source.positions[tri[0]], source.positions[tri[1]],
                                          source.positions[tri[2]], node.boxMin, node.boxMax);
      EXPECT_EQ(listed.count(static_cast<int32_t>(t)) == 1, overlaps);
    }
  }
}

TEST(LevelBuilder, TheRootBoxStartsAtOrBelowZeroAndHasRoomAbove) {
  LevelMesh mesh = Square(100, 1000, 2000);  // far out in positive coordinates
  mesh.spawnPoints.push_back(Vector3(1050, 5, 2050));
  LevelSource source;
  LevelBuildReport report;
  std::string error;
  ASSERT_TRUE(BuildLevel(mesh, {}, source, report, error)) << error;
  EXPECT_LE(report.rootMin.x, 0.0f);
  EXPECT_LE(report.rootMin.y, 0.0f);
  EXPECT_LE(report.rootMin.z, 0.0f);
  EXPECT_GE(report.rootMax.x, 1100.0f + 16.0f);
  EXPECT_GE(report.rootMax.y, 64.0f);

  // The game reads it, and a ship resting on the square collides with it.
  FakeClock clock(FreshTicks());
  LoadedLevel level(source);
  ASSERT_TRUE(level.ok);
  RecordingEntity ship(kKindPlayerShip, 3.0f);
  ship.position = Vector3(1030, 2, 2030);
  float unused = 0.0f;
  level.data.octree.Collide(&ship, &unused, 0.02f);
  EXPECT_EQ(ship.contacts.size(), 1u);
  EXPECT_FLOAT_EQ(ship.position.y, 3.0f);
}

TEST(LevelBuilder, DepthFollowsTheTriangleDensity) {
  LevelSource source;
  LevelBuildReport report;
  std::string error;
  ASSERT_TRUE(BuildLevel(Square(100), {}, source, report, error)) << error;
  EXPECT_EQ(report.octree.levels, 1);  // two triangles need no subdivision

  LevelMesh dense;
  dense.materialNames = {"grass"};
  const int n = 60;
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j <= n; ++j) {
      dense.positions.push_back(Vector3(i * 10.0f, std::sin(i * 0.3f) * 8, j * 10.0f));
      dense.normals.push_back(Vector3(0, 1, 0));
      dense.texCoords.push_back(TexCoord{0, 0});
    }
  }
  for (uint32_t i = 0; i < n; ++i) {
    for (uint32_t j = 0; j < n; ++j) {
      uint32_t v = i * (n + 1) + j;
      dense.triangles.push_back(MeshTriangle{{v, v + 1, v + n + 2}, 0});
      dense.triangles.push_back(MeshTriangle{{v, v + n + 2, v + n + 1}, 0});
    }
  }
  ASSERT_TRUE(BuildLevel(dense, {}, source, report, error)) << error;
  EXPECT_GE(report.octree.levels, 4);
  EXPECT_LE(static_cast<double>(report.octree.leafRefs) / report.octree.nonEmptyLeaves, 32.0);
  EXPECT_GE(report.octree.deepestCellSize.y, 6.0f);
  EXPECT_EQ(source.octreeNodes.size(), CompleteOctreeNodeCount(report.octree.levels));
}

TEST(LevelBuilder, SkipsTrianglesWithoutAPlane) {
  LevelMesh mesh = Square(10);
  mesh.positions.push_back(Vector3(5, 0, 5));
  mesh.normals.push_back(Vector3(0, 1, 0));
  mesh.texCoords.push_back(TexCoord{0, 0});
  mesh.triangles.push_back(MeshTriangle{{0, 4, 3}, 0});  // three points on a line
  mesh.triangles.push_back(MeshTriangle{{1, 1, 2}, 0});
  LevelSource source;
  LevelBuildReport report;
  std::string error;
  ASSERT_TRUE(BuildLevel(mesh, {}, source, report, error)) << error;
  EXPECT_EQ(report.triangles, 2u);
  EXPECT_EQ(report.degenerateSkipped, 2u);
  EXPECT_EQ(source.groups[0].indices.size(), 6u);
}

TEST(LevelBuilder, LinksPathNodesBothWays) {
  LevelMesh mesh = Square(10);
  mesh.pathNodes = {Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(2, 0, 0)};
  mesh.pathLinks = {{0, 1}, {1, 0}, {1, 2}, {2, 2}};
  LevelSource source;
  LevelBuildReport report;
  std::string error;
  ASSERT_TRUE(BuildLevel(mesh, {}, source, report, error)) << error;
  EXPECT_EQ(source.pathNodes[0].links, std::vector<uint32_t>{1});
  EXPECT_EQ(source.pathNodes[1].links, (std::vector<uint32_t>{0, 2}));
  EXPECT_EQ(source.pathNodes[2].links, std::vector<uint32_t>{1});
}

TEST(LevelBuilder, RefusesMeshesTheGameCannotUse) {
  struct Case {
    const char* what;
    void (*edit)(LevelMesh&);
    const char* reason;
  };
  const Case cases[] = {
      {"no triangles", [](LevelMesh& m) { m.triangles.clear(); }, "the mesh has no triangles"},
      {"all degenerate",
       [](LevelMesh& m) {
         for (MeshTriangle& t : m.triangles) t.vertex[2] = t.vertex[1];
       },
       "all 2 of the mesh's triangles are degenerate"},
      {"seven materials", [](LevelMesh& m) { m.materialNames.assign(7, "m"); },
       "the mesh uses 7 materials; a level can have at most 6"},
      {"long name", [](LevelMesh& m) { m.materialNames[0] = std::string(67, 'x'); },
       "has 67 characters; at most 66 fit"},
      {"coordinate not a number", [](LevelMesh& m) { m.positions[1].y = NAN; },
       "vertex 1 has a coordinate that is not a finite number"},
      {"texture coordinate at infinity", [](LevelMesh& m) { m.texCoords[2].s = INFINITY; },
       "vertex 2 has a coordinate that is not a finite number"},
      {"vertex index past the pool", [](LevelMesh& m) { m.triangles[1].vertex[0] = 4; },
       "triangle 1 names vertex 4 of 4"},
      {"no material", [](LevelMesh& m) { m.triangles[0].material = 1; },
       "triangle 0 has no material"},
      {"spawn point not a number",
       [](LevelMesh& m) { m.spawnPoints.push_back(Vector3(0, NAN, 0)); },
       "a spawn point is not at a finite position"},
      {"path link past the path",
       [](LevelMesh& m) {
         m.pathNodes = {Vector3(0, 0, 0)};
         m.pathLinks = {{0, 1}};
       },
       "a path link names a node the path does not have"},
      {"extent not a number",
       [](LevelMesh& m) {
         m.spawnPoints = {Vector3(3e38f, 0, 0), Vector3(-3e38f, 0, 0)};
       },
       "the mesh is too large"},
  };
  for (const Case& c : cases) {
    LevelMesh mesh = Square(10);
    c.edit(mesh);
    EXPECT_NE(BuildError(mesh).find(c.reason), std::string::npos)
        << c.what << ": " << BuildError(mesh);
  }
  OctreeBuildOptions tooDeep;
  tooDeep.levels = 11;
  EXPECT_NE(BuildError(Square(10), tooDeep).find("at most 10 levels"), std::string::npos);
}

const char kObj[] = R"(mtllib test.mtl
o floor
v 0 0 0
v 0 0 10
v 10 0 0
v 10 0 10
vn 0 1 0
usemtl sand
f 1//1 2//1 3//1
usemtl rock
f 3//1 2//1 4//1
o Spawn_2
v 100 1 100
v 102 3 102
v 100 3 100
usemtl sand
f 5 6 7
o spawn_1
v 4 4 4
v 6 6 6
v 4 6 6
f 8 9 10
o path_ring
v 0 0 0
v 20 0 0
v 20 0 20
l 11 12
l 12 13
o pathSpur
v 20 0 20
v 40 0 20
l 14 15
o wall
v 0 0 0
v 0 5 0
v 0 0 10
usemtl metal
f 16 17 18
)";

const char kMtl[] = "newmtl sand\nKd 1 1 0\nnewmtl rock\nKd 0.5 0.5 0.5\nnewmtl metal\nKd 0 0 1\n";

TEST(MeshImport, ReadsGeometrySpawnPointsAndThePathFromAnObjFile) {
  TempDir dir;
  WriteText(dir.File("test.obj"), kObj);
  WriteText(dir.File("test.mtl"), kMtl);
  LevelMesh mesh;
  std::string error;
  ASSERT_TRUE(ImportMesh(dir.File("test.obj"), mesh, error)) << error;

  EXPECT_EQ(mesh.materialNames, (std::vector<std::string>{"sand", "rock", "metal"}));
  ASSERT_EQ(mesh.triangles.size(), 3u);  // the spawn objects' faces are not geometry
  // Counter-clockwise from above, as written: the plane faces up.
  const MeshTriangle& first = mesh.triangles[0];
  Plane plane = Plane::FromPoints(mesh.positions[first.vertex[0]], mesh.positions[first.vertex[1]],
                                  mesh.positions[first.vertex[2]]);
  EXPECT_NEAR(plane.normal.y, 1.0f, 1e-6);
  EXPECT_NEAR(mesh.normals[first.vertex[0]].y, 1.0f, 1e-6);

  // Ordered by name: "Spawn_2" < "spawn_1" as bytes.
  ASSERT_EQ(mesh.spawnPoints.size(), 2u);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[0].x, 101.0f);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[0].y, 2.0f);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[1].x, 5.0f);

  // The spur shares its first node with the ring.
  ASSERT_EQ(mesh.pathNodes.size(), 4u);
  LevelSource source;
  LevelBuildReport report;
  ASSERT_TRUE(BuildLevel(mesh, {}, source, report, error)) << error;
  size_t links = 0;
  for (const SourcePathNode& node : source.pathNodes) links += node.links.size();
  EXPECT_EQ(links, 6u);  // three segments, both ways

  // No texture coordinates in the file: made from the world position.
  const MeshTriangle& wall = mesh.triangles[2];
  EXPECT_EQ(mesh.materialNames[wall.material], "metal");
}

std::string Base64(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t chunk = bytes[i] << 16;
    if (i + 1 < bytes.size()) chunk |= bytes[i + 1] << 8;
    if (i + 2 < bytes.size()) chunk |= bytes[i + 2];
    out += digits[(chunk >> 18) & 63];
    out += digits[(chunk >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(chunk >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? digits[chunk & 63] : '=';
  }
  return out;
}

TEST(MeshImport, ReadsAGltfFileWithEmptySpawnNodesAndMirroredCopies) {
  std::vector<uint8_t> buffer;
  for (float f : {0.f, 0.f, 0.f, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f}) {
    uint8_t b[4];
    std::memcpy(b, &f, 4);
    buffer.insert(buffer.end(), b, b + 4);
  }
  for (uint16_t index : {0, 1, 2, 0}) {
    buffer.push_back(static_cast<uint8_t>(index));
    buffer.push_back(static_cast<uint8_t>(index >> 8));
  }
  std::string gltf = R"({
  "asset": {"version": "2.0"},
  "scene": 0,
  "scenes": [{"nodes": [0, 1, 2]}],
  "nodes": [
    {"name": "floor", "mesh": 0},
    {"name": "mirrored", "mesh": 0, "scale": [-1, 1, 1], "translation": [10, 0, 0]},
    {"name": "spawn", "translation": [1, 2, 3]}
  ],
  "meshes": [{"name": "floor", "primitives": [{"attributes": {"POSITION": 0}, "indices": 1, "material": 0}]}],
  "materials": [{"name": "sand"}],
  "buffers": [{"byteLength": 44, "uri": "data:application/octet-stream;base64,)" +
                     Base64(buffer) + R"("}],
  "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36},
                  {"buffer": 0, "byteOffset": 36, "byteLength": 6}],
  "accessors": [
    {"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0, 0, 0], "max": [1, 0, 1]},
    {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"}
  ]
})";
  TempDir dir;
  WriteText(dir.File("level.gltf"), gltf);
  LevelMesh mesh;
  std::string error;
  ASSERT_TRUE(ImportMesh(dir.File("level.gltf"), mesh, error)) << error;
  EXPECT_EQ(mesh.materialNames, std::vector<std::string>{"sand"});
  ASSERT_EQ(mesh.triangles.size(), 2u);
  for (const MeshTriangle& t : mesh.triangles) {
    Plane plane = Plane::FromPoints(mesh.positions[t.vertex[0]], mesh.positions[t.vertex[1]],
                                    mesh.positions[t.vertex[2]]);
    EXPECT_NEAR(plane.normal.y, 1.0f, 1e-6) << "both copies face up";
  }
  ASSERT_EQ(mesh.spawnPoints.size(), 1u);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[0].x, 1.0f);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[0].y, 2.0f);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[0].z, 3.0f);
}

TEST(MeshImport, AFileThatIsNoMeshIsRefused) {
  TempDir dir;
  WriteText(dir.File("junk.obj"), "this is not a mesh\n\x01\x02");
  LevelMesh mesh;
  std::string error;
  bool imported = ImportMesh(dir.File("junk.obj"), mesh, error);
  if (imported) {
    EXPECT_NE(BuildError(mesh), "");  // nothing the game could use
  } else {
    EXPECT_NE(error.find("cannot import"), std::string::npos);
  }
  EXPECT_FALSE(ImportMesh(dir.File("absent.obj"), mesh, error));
}

// The default level the build compiles from make_arena's mesh.
class DefaultLevelFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile((DataDir() + "/map.wrl").c_str(), bytes, error)) << error;
    ByteReader reader(bytes);
    ASSERT_TRUE(ReadLevel(reader, level)) << reader.Error();
    gLevelVertices = level.positions.data();
    gLevelTriangles = level.triangles.data();
  }
  void TearDown() override {
    gLevelVertices = nullptr;
    gLevelTriangles = nullptr;
  }
  LevelData level;
};

TEST_F(DefaultLevelFile, HasTheArenasMaterialsAndEnoughDetail) {
  std::set<std::string> names(level.materialNames.begin(), level.materialNames.end());
  EXPECT_EQ(names, (std::set<std::string>{"grass", "rock", "concrete", "metal", "sand"}));
  EXPECT_GE(level.triangleCount, 3000u);
  EXPECT_GE(level.pathNodeCount, 8u);
  for (const PathNode& node : level.pathNodes) EXPECT_GE(node.linkCount, 2u);
  for (int32_t i = 0; i < level.materialCount; ++i) EXPECT_EQ(level.groups[i].material, i);
}

TEST_F(DefaultLevelFile, TheArenaIsAboutEighteenHundredUnitsAcross) {
  Vector3 lo = level.positions[0], hi = lo;
  for (const Vector3& p : level.positions) {
    lo = Vector3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
    hi = Vector3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
  }
  EXPECT_GE(hi.x - lo.x, 1500.0f);
  EXPECT_LE(hi.x - lo.x, 2000.0f);
  EXPECT_GE(hi.z - lo.z, 1500.0f);
  EXPECT_GE(lo.y, -20.0f);
  EXPECT_LE(hi.y, 200.0f);
}

TEST_F(DefaultLevelFile, TheShipStartsInTheOpenAndLandsOnTheGround) {
  ASSERT_GE(level.spawnPointCount, 1u);
  const Octree& octree = level.octree;
  Vector3 spawn = level.spawnPoints[0].position;
  EXPECT_LE(octree.root->boxMin.x, 0.0f);
  EXPECT_LE(octree.root->boxMin.y, 0.0f);
  EXPECT_LE(octree.root->boxMin.z, 0.0f);
  ASSERT_TRUE(BoxContains(octree.root->boxMin, octree.root->boxMax, spawn));

  // The ground lies a few units below, with nothing overhead.
  FakeClock clock(FreshTicks(), 1);
  float below = 0.0f, above = 0.0f;
  Ray down{spawn, Vector3(0, -1, 0)};
  ASSERT_TRUE(octree.RayCast(&down, 100.0f, &below));
  EXPECT_GT(below, 3.0f);
  EXPECT_LT(below, 20.0f);
  Ray up{spawn, Vector3(0, 1, 0)};
  EXPECT_FALSE(octree.RayCast(&up, 500.0f, &above));

  // The ship's radius picks the deepest level, and resting on the ground it
  // collides there.
  const Vector3& deepest = octree.cellSize[octree.levelCount - 1];
  EXPECT_GE(std::min({deepest.x, deepest.y, deepest.z}), 3.0f);
  RecordingEntity ship(kKindPlayerShip, 3.0f);
  ship.position = spawn - Vector3(0, below - 2.5f, 0);
  float unused = 0.0f;
  octree.Collide(&ship, &unused, 0.02f);
  EXPECT_TRUE(ship.collided);
  EXPECT_GT(gPolygonsTested, 0);
  EXPECT_LT(gPolygonsTested, 200);
}

TEST_F(DefaultLevelFile, EverywhereInsideTheWallsHasGroundFacingUp) {
  // Ground, ramps, blocks, pillars and the arch all face up where a ship
  // could land: a ray straight down from high above meets one of them.
  FakeClock clock(FreshTicks(), 1);
  for (float x = -880; x <= 880; x += 55) {
    for (float z = -880; z <= 880; z += 55) {
      Ray down{Vector3(x, 400, z), Vector3(0, -1, 0)};
      float hit = 0.0f;
      ASSERT_TRUE(level.octree.RayCast(&down, 500.0f, &hit)) << x << ", " << z;
      EXPECT_GE(400.0f - hit, 0.0f);
      EXPECT_LE(400.0f - hit, 125.0f);
    }
  }
}

TEST_F(DefaultLevelFile, WallsHoldTheShipIn) {
  // Just under the top of each wall, a ray from 500 units in meets the
  // wall's inner face, 900 from the middle.
  FakeClock clock(FreshTicks(), 1);
  for (Vector3 out : {Vector3(1, 0, 0), Vector3(-1, 0, 0), Vector3(0, 0, 1), Vector3(0, 0, -1)}) {
    Ray down{out * 912.0f + Vector3(0, 500, 0), Vector3(0, -1, 0)};
    float toTop = 0.0f;
    ASSERT_TRUE(level.octree.RayCast(&down, 600.0f, &toTop));
    float top = 500.0f - toTop;
    EXPECT_GE(top, 60.0f);
    Ray across{out * 500.0f + Vector3(0, top - 5.0f, 0), out};
    float hit = 0.0f;
    EXPECT_TRUE(level.octree.RayCast(&across, 1000.0f, &hit));
    EXPECT_NEAR(hit, 400.0f, 0.01f);
  }
}

}  // namespace

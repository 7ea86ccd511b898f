// The level compiler: the triangle-box test, the octree builder, the level
// builder's checks and mesh import.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "level/collision.h"
#include "tests/level/level_test_support.h"
#include "tools/level/level_builder.h"
#include "tools/level/mesh_import.h"
#include "tools/level/triangle_box.h"

namespace {

TEST(TriangleOverlapsBox, SeparatesOnlyWhenSomeAxisSeparates) {
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
    EXPECT_EQ(TriangleOverlapsBox(c.a, c.b, c.c, Vector3(0, 0, 0), Vector3(1, 1, 1)), c.overlaps)
        << c.what;
  }
}

uint32_t AddVertex(LevelMesh& mesh, const Vector3& p) {
  mesh.positions.push_back(p);
  mesh.normals.push_back(Vector3(0, 1, 0));
  mesh.texCoords.push_back(TexCoord{0, 0});
  return static_cast<uint32_t>(mesh.positions.size() - 1);
}

LevelMesh Square(float size, float x = 0, float z = 0) {
  LevelMesh mesh;
  mesh.materialNames = {"grass"};
  for (Vector3 p : {Vector3(x, 0, z), Vector3(x, 0, z + size), Vector3(x + size, 0, z),
                    Vector3(x + size, 0, z + size)}) {
    AddVertex(mesh, p);
  }
  mesh.triangles = {MeshTriangle{{0, 1, 2}, 0}, MeshTriangle{{2, 1, 3}, 0}};
  return mesh;
}

struct Built {
  LevelSource source;
  LevelBuildReport report;
  std::string error;
  bool ok;
};

Built Build(const LevelMesh& mesh, int32_t levels = 0) {
  Built built;
  OctreeBuildOptions options;
  options.levels = levels;
  built.ok = BuildLevel(mesh, options, built.source, built.report, built.error);
  return built;
}

TEST(LevelBuilder, BuildsACompleteOctreeListingExactlyTheTrianglesOverlappingEachBox) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> coordinate(-60, 60);
  LevelMesh mesh;
  mesh.materialNames = {"a", "b"};
  for (int i = 0; i < 200; ++i) {
    Vector3 centre(coordinate(random), coordinate(random) * 0.3f, coordinate(random));
    uint32_t v[3];
    for (uint32_t& k : v) {
      k = AddVertex(mesh, centre + Vector3(coordinate(random), coordinate(random),
                                           coordinate(random)) * 0.2f);
    }
    mesh.triangles.push_back(MeshTriangle{{v[0], v[1], v[2]}, i % 2});
  }
  Built built = Build(mesh, 3);
  ASSERT_TRUE(built.ok) << built.error;
  const LevelSource& source = built.source;
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
  Built built = Build(mesh);
  ASSERT_TRUE(built.ok) << built.error;
  EXPECT_LE(built.report.rootMin.x, 0.0f);
  EXPECT_LE(built.report.rootMin.y, 0.0f);
  EXPECT_LE(built.report.rootMin.z, 0.0f);
  EXPECT_GE(built.report.rootMax.x, 1100.0f + 16.0f);
  EXPECT_GE(built.report.rootMax.y, 64.0f);
}

TEST(LevelBuilder, SkipsTrianglesWithoutAPlaneAndLinksPathNodesBothWays) {
  LevelMesh mesh = Square(10);
  AddVertex(mesh, Vector3(5, 0, 5));
  mesh.triangles.push_back(MeshTriangle{{0, 4, 3}, 0});  // three points on a line
  mesh.triangles.push_back(MeshTriangle{{1, 1, 2}, 0});
  mesh.pathNodes = {Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(2, 0, 0)};
  mesh.pathLinks = {{0, 1}, {1, 0}, {1, 2}, {2, 2}};
  Built built = Build(mesh);
  ASSERT_TRUE(built.ok) << built.error;
  EXPECT_EQ(built.report.triangles, 2u);
  EXPECT_EQ(built.report.degenerateSkipped, 2u);
  EXPECT_EQ(built.source.groups[0].indices.size(), 6u);
  EXPECT_EQ(built.source.pathNodes[0].links, std::vector<uint32_t>{1});
  EXPECT_EQ(built.source.pathNodes[1].links, (std::vector<uint32_t>{0, 2}));
  EXPECT_EQ(built.source.pathNodes[2].links, std::vector<uint32_t>{1});
}

TEST(LevelBuilder, RefusesMeshesTheGameCannotUse) {
  struct Case {
    void (*edit)(LevelMesh&);
    const char* reason;
  };
  const Case cases[] = {
      {[](LevelMesh& m) { m.triangles.clear(); }, "the mesh has no triangles"},
      {[](LevelMesh& m) { for (MeshTriangle& t : m.triangles) t.vertex[2] = t.vertex[1]; },
       "all 2 of the mesh's triangles are degenerate"},
      {[](LevelMesh& m) { m.materialNames.assign(7, "m"); },
       "the mesh uses 7 materials; a level can have at most 6"},
      {[](LevelMesh& m) { m.materialNames[0] = std::string(67, 'x'); },
       "has 67 characters; at most 66 fit"},
      {[](LevelMesh& m) { m.positions[1].y = NAN; },
       "vertex 1 has a coordinate that is not a finite number"},
      {[](LevelMesh& m) { m.texCoords[2].s = INFINITY; },
       "vertex 2 has a texture coordinate that is not a finite number"},
      // Finite, but past where floats can place the ship to a unit.
      {[](LevelMesh& m) { m.positions[3].z = -1e20f; },
       "vertex 3 lies at (10, 0, -1e+20), beyond the 16777216 units from the origin"},
      {[](LevelMesh& m) { m.positions[0].x = 16777218.0f; }, "vertex 0 lies at (1.67772e+07"},
      {[](LevelMesh& m) { m.triangles[1].vertex[0] = 4; }, "triangle 1 names vertex 4 of 4"},
      {[](LevelMesh& m) { m.triangles[0].material = 1; }, "triangle 0 has no material"},
      {[](LevelMesh& m) { m.spawnPoints.push_back(Vector3(0, NAN, 0)); },
       "a spawn point has a coordinate that is not a finite number"},
      {[](LevelMesh& m) { m.pathNodes = {Vector3(0, 0, 0)}; m.pathLinks = {{0, 1}}; },
       "a path link names a node the path does not have"},
      {[](LevelMesh& m) { m.spawnPoints = {Vector3(3e38f, 0, 0), Vector3(-3e38f, 0, 0)}; },
       "a spawn point lies at (3e+38, 0, 0), beyond the 16777216 units"},
      {[](LevelMesh& m) { m.pathNodes = {Vector3(0, 0, 1e38f)}; }, "a path node lies at"},
  };
  for (const Case& c : cases) {
    LevelMesh mesh = Square(10);
    c.edit(mesh);
    Built built = Build(mesh);
    EXPECT_FALSE(built.ok);
    EXPECT_NE(built.error.find(c.reason), std::string::npos) << c.reason << ": " << built.error;
  }
  EXPECT_NE(Build(Square(10), 11).error.find("at most 10 levels"), std::string::npos);
}

TEST(MeshImport, ReadsGeometrySpawnPointsAndThePathFromAnObjFile) {
  TempDir dir;
  dir.WriteText("test.mtl", "newmtl sand\nnewmtl rock\nnewmtl metal\n");
  dir.WriteText("test.obj", R"(mtllib test.mtl
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
o drone_b
v 30 10 30
v 32 12 32
v 30 12 30
f 19 20 21
o Drone_a
v 50 10 50
v 52 12 52
v 50 12 50
f 22 23 24
)");
  LevelMesh mesh;
  std::string error;
  EXPECT_FALSE(ImportMesh(dir.File("absent.obj"), mesh, error));
  ASSERT_TRUE(ImportMesh(dir.File("test.obj"), mesh, error)) << error;

  EXPECT_EQ(mesh.materialNames, (std::vector<std::string>{"sand", "rock", "metal"}));
  ASSERT_EQ(mesh.triangles.size(), 3u);  // the spawn objects' faces are not geometry
  EXPECT_EQ(mesh.materialNames[mesh.triangles[2].material], "metal");
  // Counter-clockwise from above, as written: the plane faces up.
  const MeshTriangle& first = mesh.triangles[0];
  Plane plane = Plane::FromPoints(mesh.positions[first.vertex[0]], mesh.positions[first.vertex[1]],
                                  mesh.positions[first.vertex[2]]);
  EXPECT_NEAR(plane.normal.y, 1.0f, 1e-6);
  // Ordered by name: "Spawn_2" < "spawn_1" as bytes.
  ASSERT_EQ(mesh.spawnPoints.size(), 2u);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[0].x, 101.0f);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[0].y, 2.0f);
  EXPECT_FLOAT_EQ(mesh.spawnPoints[1].x, 5.0f);
  // Drones' places, ordered by name as the ship's are; written after them.
  ASSERT_EQ(mesh.droneSpawns.size(), 2u);
  EXPECT_FLOAT_EQ(mesh.droneSpawns[0].x, 51.0f);
  EXPECT_FLOAT_EQ(mesh.droneSpawns[1].x, 31.0f);
  // The spur shares its first node with the ring: three segments, both ways.
  ASSERT_EQ(mesh.pathNodes.size(), 4u);
  Built built = Build(mesh);
  ASSERT_TRUE(built.ok) << built.error;
  std::vector<int32_t> kinds;
  for (const SpawnPoint& spawn : built.source.spawnPoints) kinds.push_back(spawn.kind);
  EXPECT_EQ(kinds, (std::vector<int32_t>{kSpawnShip, kSpawnShip, kSpawnDrone, kSpawnDrone}));
  size_t links = 0;
  for (const SourcePathNode& node : built.source.pathNodes) links += node.links.size();
  EXPECT_EQ(links, 6u);
}

TEST(MeshImport, ReadsAGltfFileWithEmptySpawnNodesAndMirroredCopies) {
  TempDir dir;
  WriteTriangleGltf(dir, "level", {0, 0, 0, 0, 0, 1, 1, 0, 0},
                    {R"({"name": "mirrored", "mesh": 0, "scale": [-1, 1, 1], "translation": [10, 0, 0]})",
                     R"({"name": "spawn", "translation": [1, 2, 3]})"});
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
  EXPECT_FLOAT_EQ(mesh.spawnPoints[0].z, 3.0f);
}

}  // namespace

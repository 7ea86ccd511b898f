// The level file read back from files the writer made, and the World that
// loads it.
#include <gtest/gtest.h>

#include "assets/byte_reader.h"
#include "level/level_reader.h"
#include "tests/level/level_test_support.h"
#include "tools/level/level_writer.h"
#include "tools/level/octree_builder.h"
#include "world/world.h"

namespace {

// Two materials, a floor of two triangles and a wall, a path of three nodes
// and two spawn points.
LevelSource RichLevel() {
  LevelSource source;
  source.headerUnused = 0x12345678;
  source.materialNames = {"grass", "concrete"};
  source.positions = {Vector3(-20, 0, -20), Vector3(-20, 0, 20), Vector3(20, 0, -20),
                      Vector3(20, 0, 20), Vector3(0, 10, 0)};
  source.normals = {Vector3(0, 1, 0), Vector3(0, 1, 0), Vector3(0, 1, 0), Vector3(0, 1, 0),
                    Vector3(0, 0, 1)};
  source.texCoords = {TexCoord{0, 0}, TexCoord{0, 1}, TexCoord{1, 0}, TexCoord{1, 1},
                      TexCoord{0.5f, 0.25f}};
  source.triangles = {{0, 1, 2}, {2, 1, 3}, {0, 2, 4}};
  source.groups = {SourceGroup{0, {0, 1, 2, 2, 1, 3}}, SourceGroup{3, {0, 2, 4}}};
  OctreeBuildOptions options;
  options.levels = 2;
  OctreeBuildStats stats;
  BuildOctree(source.positions, source.triangles, {0, 0, 3}, Vector3(-32, -32, -32),
              Vector3(32, 32, 32), options, source.octreeNodes, stats);
  source.octreeLevels = stats.levels;
  source.pathNodes = {SourcePathNode{Vector3(1, 25, 2), {1, 2}},
                      SourcePathNode{Vector3(3, -4, 5), {0}}, SourcePathNode{Vector3(6, 7, 8), {}}};
  source.spawnPoints = {SpawnPoint{7, Vector3(1, 2, 3)}, SpawnPoint{-1, Vector3(4, 5, 6)}};
  return source;
}

void ExpectVectorEq(const Vector3& a, const Vector3& b) {
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.z, b.z);
}

TEST(LevelFile, ReadsBackEverythingTheWriterWroteWithPathNodesAtYZero) {
  LevelSource source = RichLevel();
  LoadedLevel level(source);
  ASSERT_TRUE(level.ok);
  const LevelData& data = level.data;
  EXPECT_FALSE(data.loaded);  // the World sets it
  EXPECT_EQ(data.materialNames, source.materialNames);
  ASSERT_EQ(data.vertexCount, 5u);
  for (size_t i = 0; i < 5; ++i) {
    ExpectVectorEq(data.positions[i], source.positions[i]);
    ExpectVectorEq(data.normals[i], source.normals[i]);
    EXPECT_EQ(data.texCoords[i].s, source.texCoords[i].s);
    EXPECT_EQ(data.texCoords[i].t, source.texCoords[i].t);
    // The file carries no colours: every vertex is white.
    EXPECT_EQ(data.colours[i].r + data.colours[i].g + data.colours[i].b + data.colours[i].a, 4.0f);
  }
  ASSERT_EQ(data.triangleCount, 3u);
  for (size_t i = 0; i < 3; ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(data.triangles[i].vertex[k], source.triangles[i][k]);
    EXPECT_EQ(data.triangles[i].queryTag, nullptr);
  }
  ASSERT_EQ(data.groups.size(), 2u);
  EXPECT_EQ(data.groups[0].capacity, 7);  // 3 x B + 1
  EXPECT_EQ(data.groups[0].count, 6);
  EXPECT_EQ(data.groups[0].indices, source.groups[0].indices);
  EXPECT_EQ(data.groups[1].material, 3);
  EXPECT_EQ(data.groups[1].count, 3);

  ASSERT_EQ(data.octree.levelCount, 2);
  ASSERT_EQ(data.octree.nodes.size(), source.octreeNodes.size());
  for (size_t i = 0; i < source.octreeNodes.size(); ++i) {
    const OctreeNode& node = data.octree.nodes[i];
    const SourceOctreeNode& written = source.octreeNodes[i];
    EXPECT_EQ(node.IsLeaf(), written.isLeaf != 0);
    ExpectVectorEq(node.boxMin, written.boxMin);
    ExpectVectorEq(node.boxMax, written.boxMax);
    ASSERT_EQ(node.RefCount(), written.refs.size());
    for (size_t r = 0; r < written.refs.size(); ++r) {
      TriangleRef ref = data.octree.Ref(node.firstRef + static_cast<uint32_t>(r));
      EXPECT_EQ(ref.material, written.refs[r].material);
      EXPECT_EQ(ref.triangle, written.refs[r].triangle);
    }
  }

  ASSERT_EQ(data.pathNodeCount, 3u);
  ExpectVectorEq(data.pathNodes[0].position, Vector3(1, 0, 2));  // stored with y = 25
  ExpectVectorEq(data.pathNodes[1].position, Vector3(3, 0, 5));
  EXPECT_EQ(data.pathNodes[0].links, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(data.pathNodes[2].linkCount, 0u);
  ASSERT_EQ(data.spawnPointCount, 2u);
  EXPECT_EQ(data.spawnPoints[0].unused, 7);
  ExpectVectorEq(data.spawnPoints[1].position, Vector3(4, 5, 6));
}

TEST(LevelFile, EveryByteOfTheTagIsChecked) {
  std::vector<uint8_t> good = WriteOrDie(RichLevel());
  ASSERT_EQ(ParseError(good), "");
  for (size_t i = 0; i < 8; ++i) {
    std::vector<uint8_t> bytes = good;
    bytes[i] ^= 0x20;  // "UNIVERSE" -> "uNIVERSE", ...
    EXPECT_NE(ParseError(bytes).find("not a level file"), std::string::npos) << "byte " << i;
  }
}

TEST(LevelFile, TheHeaderFieldAtOffsetSixteenHasNoEffect) {
  LevelSource a = RichLevel(), b = RichLevel();
  a.headerUnused = 0;
  b.headerUnused = -1;
  LevelData first, second;
  std::vector<uint8_t> bytesA = WriteOrDie(a), bytesB = WriteOrDie(b);
  ByteReader readerA(bytesA), readerB(bytesB);
  ASSERT_TRUE(ReadLevel(readerA, first));
  ASSERT_TRUE(ReadLevel(readerB, second));
  EXPECT_EQ(readerA.Position(), readerB.Position());
  EXPECT_EQ(first.octree.nodes.size(), second.octree.nodes.size());
  EXPECT_EQ(first.pathNodeCount, second.pathNodeCount);
}

TEST(LevelFile, PlanesOfThreePoints) {
  Plane unit = Plane::FromPoints(Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 1, 0));
  ExpectVectorEq(unit.normal, Vector3(0, 0, 1));
  ExpectVectorEq(unit.point, Vector3(0, 0, 0));
  EXPECT_EQ(unit.distance, 0.0f);
  Plane raised = Plane::FromPoints(Vector3(0, 5, 0), Vector3(0, 5, 1), Vector3(1, 5, 0));
  ExpectVectorEq(raised.normal, Vector3(0, 1, 0));
  EXPECT_EQ(raised.distance, 5.0f);
}

class WorldLoad : public ::testing::Test {
 protected:
  std::string Write(const LevelSource& source, const char* name = "map.wrl") {
    std::string path = dir.File(name);
    WriteFile(path, WriteOrDie(source));
    return path;
  }

  TempDir dir;
  World world;
};

TEST_F(WorldLoad, PlacesTheShipAtTheFirstSpawnPointOrElseTheOrigin) {
  std::string error;
  ASSERT_TRUE(world.Load(Write(RichLevel()).c_str(), error)) << error;
  EXPECT_TRUE(world.loaded);
  ASSERT_EQ(world.entities.size(), 1u);
  EXPECT_EQ(world.entities[0]->kind, kKindPlayerShip);
  ExpectVectorEq(world.entities[0]->position, Vector3(1, 2, 3));
  EXPECT_EQ(gEntityList, &world.entities);
  EXPECT_EQ(gLevelTriangles, world.triangles.data());
  EXPECT_EQ(world.octree.root, &world.octree.nodes[0]);

  LevelSource none = RichLevel();
  none.spawnPoints.clear();
  ASSERT_TRUE(world.Load(Write(none, "none.wrl").c_str(), error)) << error;
  ASSERT_EQ(world.entities.size(), 1u);
  ExpectVectorEq(world.entities[0]->position, Vector3(0, 0, 0));
}

TEST_F(WorldLoad, AMissingFileLeavesTheWorldAsItWas) {
  std::string error;
  ASSERT_TRUE(world.Load(Write(RichLevel()).c_str(), error));
  EXPECT_FALSE(world.Load(dir.File("absent.wrl").c_str(), error));
  EXPECT_NE(error.find("absent.wrl: cannot open"), std::string::npos) << error;
  EXPECT_TRUE(world.loaded);
  EXPECT_EQ(world.triangleCount, 3u);
  EXPECT_EQ(world.entities.size(), 1u);
}

TEST_F(WorldLoad, ASecondLoadReplacesTheFirst) {
  std::string error;
  ASSERT_TRUE(world.Load(Write(RichLevel()).c_str(), error));
  LevelSource other = SoupLevel({{Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(1, 0, 0)}}, 1,
                                Vector3(-8, -8, -8), Vector3(8, 8, 8));
  ASSERT_TRUE(world.Load(Write(other, "other.wrl").c_str(), error)) << error;
  EXPECT_EQ(world.triangleCount, 1u);
  EXPECT_EQ(world.materialCount, 1);
  EXPECT_EQ(world.octree.levelCount, 1);
  EXPECT_EQ(world.entities.size(), 1u);
}

}  // namespace

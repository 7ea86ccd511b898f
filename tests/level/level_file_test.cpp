// The level file: what the writer writes the reader reads back and the World
// loads; each damage to one small valid level is refused with its reason and
// leaves the world empty.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>

#include "tests/level/level_test_support.h"
#include "tests/support/damaged_file.h"
#include "tests/support/temp_dir.h"
#include "world/world.h"

namespace {

// The one level of these tests: a floor and a block, two materials, a path
// of three nodes (the first stored above the ground), two spawn points, a
// complete octree of two levels, and the header's unused field set.
LevelSource GoodLevel() {
  LevelSource source = SoupLevel({{Vector3(-20, 0, -20), Vector3(-20, 0, 20), Vector3(20, 0, -20)},
                                  {Vector3(20, 0, -20), Vector3(-20, 0, 20), Vector3(20, 0, 20)},
                                  {Vector3(0, 0, 0), Vector3(0, 10, 0), Vector3(10, 0, 0)}},
                                 2, Vector3(-32, -32, -32), Vector3(32, 32, 32));
  source.headerUnused = 0x12345678;
  source.materialNames.push_back("rock");
  source.groups.push_back(SourceGroup{1, {}});
  source.pathNodes = {SourcePathNode{Vector3(0, 25, 0), {1, 2}},
                      SourcePathNode{Vector3(5, 0, 0), {2}}, SourcePathNode{Vector3(5, 0, 5), {0}}};
  source.spawnPoints = {SpawnPoint{7, Vector3(1, 5, 1)}, SpawnPoint{0, Vector3(2, 5, 2)}};
  return source;
}

bool Same(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

TEST(LevelFile, ReadsBackEverythingTheWriterWroteWithPathNodesAtYZero) {
  const LevelSource source = GoodLevel();
  LoadedLevel level(source);
  ASSERT_TRUE(level.ok);
  const LevelData& data = level.data;
  EXPECT_FALSE(data.loaded);  // the World sets it
  EXPECT_EQ(data.materialNames, source.materialNames);
  ASSERT_EQ(data.vertexCount, source.positions.size());
  for (size_t i = 0; i < source.positions.size(); ++i) {
    EXPECT_TRUE(Same(data.positions[i], source.positions[i])) << i;
    EXPECT_TRUE(Same(data.normals[i], source.normals[i])) << i;
    EXPECT_EQ(data.texCoords[i].s, source.texCoords[i].s) << i;
    EXPECT_EQ(data.texCoords[i].t, source.texCoords[i].t) << i;
    // The file carries no colours: every vertex is white.
    EXPECT_EQ(data.colours[i].r + data.colours[i].g + data.colours[i].b + data.colours[i].a, 4.0f);
  }
  ASSERT_EQ(data.triangleCount, source.triangles.size());
  for (size_t i = 0; i < source.triangles.size(); ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(data.triangles[i].vertex[k], source.triangles[i][k]);
  }
  ASSERT_EQ(data.groups.size(), 2u);
  EXPECT_TRUE(std::equal(data.groups[0].indices.begin(), data.groups[0].indices.end(),
                         source.groups[0].indices.begin(), source.groups[0].indices.end()));
  EXPECT_EQ(data.groups[0].count, 9);
  EXPECT_EQ(data.groups[1].material, 1);
  ASSERT_EQ(data.octree.LevelCount(), 2);
  ASSERT_EQ(data.octree.Nodes().size(), source.octreeNodes.size());
  for (size_t i = 0; i < source.octreeNodes.size(); ++i) {
    const OctreeNode& node = data.octree.Nodes()[i];
    const SourceOctreeNode& written = source.octreeNodes[i];
    EXPECT_EQ(node.IsLeaf(), written.isLeaf != 0) << i;
    EXPECT_TRUE(Same(node.boxMin, written.boxMin) && Same(node.boxMax, written.boxMax)) << i;
    ASSERT_EQ(node.RefCount(), written.refs.size()) << i;
    for (size_t r = 0; r < written.refs.size(); ++r) {
      TriangleRef ref = data.octree.Ref(node.firstRef + static_cast<uint32_t>(r));
      EXPECT_EQ(ref.material, written.refs[r].material);
      EXPECT_EQ(ref.triangle, written.refs[r].triangle);
    }
  }
  ASSERT_EQ(data.pathNodeCount, 3u);
  EXPECT_TRUE(Same(data.pathNodes[0].position, Vector3(0, 0, 0)));  // stored with y = 25
  EXPECT_TRUE(Same(data.pathNodes[2].position, Vector3(5, 0, 5)));
  EXPECT_EQ(data.pathNodes[0].links, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(data.pathNodes[1].linkCount, 1u);
  ASSERT_EQ(data.spawnPointCount, 2u);
  EXPECT_EQ(data.spawnPoints[0].kind, 7);
  EXPECT_TRUE(Same(data.spawnPoints[1].position, Vector3(2, 5, 2)));
}

TEST(WorldLoad, PlacesTheShipReplacesTheLevelAndKeepsItWhenTheNextIsMissing) {
  TempDir dir;
  dir.Write("map.wrl", WriteOrDie(GoodLevel()));
  // One triangle and no spawn point.
  dir.Write("small.wrl", WriteOrDie(SoupLevel({{Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(1, 0, 0)}},
                                              1, Vector3(-8, -8, -8), Vector3(8, 8, 8))));
  World world;
  std::string error;
  ASSERT_TRUE(world.Load(dir.File("map.wrl").c_str(), error)) << error;
  EXPECT_TRUE(world.loaded);
  ASSERT_EQ(world.entities.size(), 1u);
  EXPECT_EQ(world.entities[0]->kind, kKindPlayerShip);
  EXPECT_TRUE(Same(world.entities[0]->position, Vector3(1, 5, 1)));  // the first spawn point
  EXPECT_EQ(gEntityList, &world.entities);
  EXPECT_EQ(gLevelTriangles, world.triangles.data());
  EXPECT_EQ(world.octree.Root(), &world.octree.Nodes()[0]);

  ASSERT_TRUE(world.Load(dir.File("small.wrl").c_str(), error)) << error;
  EXPECT_EQ(world.triangleCount, 1u);
  EXPECT_EQ(world.materialCount, 1);
  EXPECT_EQ(world.octree.LevelCount(), 1);
  ASSERT_EQ(world.entities.size(), 1u);
  EXPECT_TRUE(Same(world.entities[0]->position, Vector3(0, 0, 0)));  // without one, the origin

  EXPECT_FALSE(world.Load(dir.File("absent.wrl").c_str(), error));
  EXPECT_NE(error.find("absent.wrl: cannot open"), std::string::npos) << error;
  EXPECT_TRUE(world.loaded);
  EXPECT_EQ(world.triangleCount, 1u);
  EXPECT_EQ(world.entities.size(), 1u);
}

// Where each section of a written level begins.
struct Layout {
  explicit Layout(const LevelSource& s) {
    size_t at = 28;
    for (const std::string& name : s.materialNames) at += 2 + name.size();
    at += 32 * s.positions.size();
    triangleCount = at;
    at += 4 + 12 * s.triangles.size();
    groups = at;
    for (const SourceGroup& g : s.groups) at += 8 + 4 * g.indices.size();
    octree = at;
    at += 4;
    for (const SourceOctreeNode& n : s.octreeNodes) at += 29 + 8 * n.refs.size();
    pathNodes = at;
  }
  size_t triangleCount, groups, octree, pathNodes;
};

struct LevelDamage {
  const char* name;
  std::function<void(LevelSource&)> editSource;
  std::function<void(std::vector<uint8_t>&, const Layout&)> editBytes;
  const char* reason;
};

// One damage to the source before writing, or to the bytes after.
#define SOURCE(...) [](LevelSource & s) { __VA_ARGS__; }, nullptr
#define BYTES(...) \
  nullptr, [](std::vector<uint8_t> & b, const Layout& l) { (void)l; __VA_ARGS__; }

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const LevelDamage kDamages[] = {
    {"empty file", BYTES(b.clear()), "header: 1 records do not fit in the 0 bytes left"},
    {"negative material count", BYTES(Put32(b, 8, 0xffffffffu)), "negative material count -1"},
    {"seven material names", SOURCE(s.materialNames.assign(7, "m"); s.groups.assign(7, {})),
     "7 materials, more than the 6 the game has slots for"},
    {"negative name length", BYTES(b[28] = b[29] = 0xff), "material name 0: negative length -1"},
    {"name over 66 characters", SOURCE(s.materialNames[1] = std::string(67, 'a')),
     "material name 1: 67 characters, more than the 66 a texture path allows"},
    {"name with a NUL", SOURCE(s.materialNames[0] = std::string("gr\0ss", 5)),
     "material name 0 holds a NUL character"},
    {"vertex count beyond the data", BYTES(Put32(b, 12, 0x7fffffffu)),
     "vertices: 2147483647 records do not fit"},
    {"vertex not a number", SOURCE(s.positions[2].y = kNaN),
     "vertex 2 has a position that is not a finite number"},
    {"vertex at infinity", SOURCE(s.positions[4].x = std::numeric_limits<float>::infinity()),
     "vertex 4 has a position that is not a finite number"},
    {"triangle count beyond the data", BYTES(Put32(b, l.triangleCount, 0xffffffffu)),
     "triangles: 4294967295 records do not fit"},
    {"triangle vertex past the pool", SOURCE(s.triangles[1][2] = 9),
     "triangle 1: vertex index 9 is outside the 9 vertices"},
    {"negative triangle vertex", SOURCE(s.triangles[0][0] = -1),
     "triangle 0: vertex index -1 is outside the 9 vertices"},
    {"group material 6", SOURCE(s.groups[1].material = 6),
     "material group 1: material index 6 is outside 0..5"},
    {"group material -1", SOURCE(s.groups[0].material = -1),
     "material group 0: material index -1 is outside 0..5"},
    {"negative group triangle count", BYTES(Put32(b, l.groups + 4, 0x80000000u)),
     "material group 0: negative triangle count -2147483648"},
    {"group triangle count beyond the data", BYTES(Put32(b, l.groups + 4, 0x7fffffffu)),
     "material group 0: 6442450941 records do not fit"},
    {"group vertex past the pool", SOURCE(s.groups[0].indices[4] = 9),
     "material group 0: vertex index 9 is outside the 9 vertices"},
    {"octree level count 0", SOURCE(s.octreeLevels = 0), "octree: level count 0 is below 1"},
    {"octree level count -3", SOURCE(s.octreeLevels = -3), "octree: level count -3 is below 1"},
    {"octree of 11 levels", SOURCE(s.octreeLevels = 11),
     "octree: 11 levels is more than the 10 a level file may have"},
    {"octree deeper than the file could describe", SOURCE(s.octreeLevels = 7),
     "octree: a complete tree of 7 levels has 299593 nodes, more than the"},
    {"octree cut short",
     SOURCE(s.octreeNodes.resize(5); s.pathNodes.clear(); s.spawnPoints.clear()),
     "octree node record: 1 records do not fit in the 0 bytes left"},
    {"negative reference count", BYTES(Put32(b, l.octree + 4 + 25, 0xfffffff0u)),
     "octree node 0 (depth 0): negative reference count -16"},
    {"reference count beyond the data", BYTES(Put32(b, l.octree + 4 + 25, 0x10000000u)),
     "octree node 0 (depth 0) references: 268435456 records do not fit"},
    {"reference material 6", SOURCE(s.octreeNodes[0].refs[1].material = 6),
     "octree node 0 (depth 0): material index 6 is outside 0..5"},
    {"reference material -1", SOURCE(s.octreeNodes[2].refs[0].material = -1),
     "octree node 2 (depth 1): material index -1 is outside 0..5"},
    {"reference past the triangles", SOURCE(s.octreeNodes[0].refs[2].triangle = 3),
     "octree node 0 (depth 0): triangle index 3 is outside the level's 3 triangles"},
    {"negative reference", SOURCE(s.octreeNodes[0].refs[0].triangle = -2),
     "octree node 0 (depth 0): triangle index -2 is outside the level's 3 triangles"},
    {"interior node on the deepest level", SOURCE(s.octreeNodes[5].isLeaf = 0),
     "octree node 5 (depth 1) is on the deepest level but is not a leaf"},
    {"root box inside out", SOURCE(std::swap(s.octreeNodes[0].boxMin, s.octreeNodes[0].boxMax)),
     "octree: the root box is not a finite box with its maximum above its minimum"},
    {"root box not a number", SOURCE(s.octreeNodes[0].boxMax.z = kNaN),
     "octree: the root box is not a finite box"},
    {"node centre outside the grid",
     SOURCE(s.octreeNodes[3].boxMin.x += 1000; s.octreeNodes[3].boxMax.x += 1000),
     "octree node 3 (depth 1): its box centre lies outside the root box's grid"},
    {"node centre below the grid",
     SOURCE(s.octreeNodes[1].boxMin.y -= 40; s.octreeNodes[1].boxMax.y -= 40),
     "octree node 1 (depth 1): its box centre lies outside the root box's grid"},
    {"node box not a number", SOURCE(s.octreeNodes[6].boxMin.y = kNaN),
     "octree node 6 (depth 1): its box centre lies outside the root box's grid"},
    {"two nodes in one cell",
     SOURCE(s.octreeNodes[4].boxMin = s.octreeNodes[3].boxMin;
            s.octreeNodes[4].boxMax = s.octreeNodes[3].boxMax),
     "octree node 4 (depth 1): its box centre falls in the grid cell of node 3"},
    {"path node count beyond the data", BYTES(Put32(b, 20, 0xffffffffu)),
     "path nodes: 4294967295 records do not fit"},
    {"link count beyond the data", BYTES(Put32(b, l.pathNodes + 12, 0x40000000u)),
     "path node 0 links: 1073741824 records do not fit"},
    {"link past the path", SOURCE(s.pathNodes[1].links[0] = 3),
     "path node 1: link 3 is outside the 3 path nodes"},
    {"spawn count beyond the data", BYTES(Put32(b, 24, 3)),
     "spawn points: 3 records do not fit in the 32 bytes left"},
    {"spawn point not a number", SOURCE(s.spawnPoints[1].position.z = kNaN),
     "spawn point 1 is not at a finite position"},
    {"drone spawn outside the level",
     SOURCE(s.spawnPoints.push_back(SpawnPoint{kSpawnDrone, Vector3(5, 40, 5)})),
     "drone spawn point 2 at (5, 40, 5) lies outside the level's box"},
};

#undef SOURCE
#undef BYTES

TEST(DamagedLevelFile, EachIsRefusedWithItsReasonAndLeavesTheWorldEmpty) {
  for (const LevelDamage& damage : kDamages) {
    SCOPED_TRACE(damage.name);
    LevelSource source = GoodLevel();
    if (damage.editSource) damage.editSource(source);
    std::vector<uint8_t> bytes = WriteOrDie(source);
    if (damage.editBytes) damage.editBytes(bytes, Layout(source));
    TempDir dir;
    dir.Write("map.wrl", bytes);
    const std::string path = dir.File("map.wrl");
    World world;
    std::string error;
    EXPECT_FALSE(world.Load(path.c_str(), error));
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(damage.reason), std::string::npos)
        << "expected \"" << damage.reason << "\" in \"" << error << "\"";
    EXPECT_FALSE(world.loaded);
    EXPECT_TRUE(world.entities.empty() && world.triangles.empty() && world.materialNames.empty());
    EXPECT_EQ(world.octree.Root(), nullptr);
    EXPECT_TRUE(world.octree.Nodes().empty());
  }
}

TEST(DamagedLevelFile, TheLimitsThemselvesAreAccepted) {
  LevelSource source = GoodLevel();
  source.materialNames.assign(6, std::string(66, 'a'));
  source.groups.assign(6, SourceGroup{5, {}});
  EXPECT_EQ(ParseError(WriteOrDie(source)), "");
}

TEST(DamagedLevelFile, EveryShorterPrefixIsRefused) {
  std::vector<uint8_t> bytes = WriteOrDie(GoodLevel());
  for (size_t size = 0; size < bytes.size(); ++size) {
    std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + size);
    EXPECT_NE(ParseError(prefix), "") << "cut at " << size << " of " << bytes.size();
  }
}

TEST(DamagedLevelFile, EveryByteOfTheTagIsChecked) {
  const std::vector<uint8_t> good = WriteOrDie(GoodLevel());
  ASSERT_EQ(ParseError(good), "");
  for (size_t i = 0; i < 8; ++i) {
    std::vector<uint8_t> bytes = good;
    bytes[i] ^= 0x20;  // "UNIVERSE" -> "uNIVERSE", ...
    EXPECT_NE(ParseError(bytes).find("not a level file"), std::string::npos) << "byte " << i;
  }
}

}  // namespace

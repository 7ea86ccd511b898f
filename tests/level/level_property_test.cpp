// The octree's answers against a test of every triangle, on random levels
// the compiler builds (whole and with empty branches cut) and on the default
// level; and the default level as a player starts in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <tuple>

#include "assets/byte_reader.h"
#include "level/collision.h"
#include "level/level_reader.h"
#include "tests/level/level_test_support.h"
#include "tests/level/recording_entity.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tools/level/level_builder.h"
#include "tools/level/reference_queries.h"
#include "tools/level/triangle_box.h"

namespace {

using Key = std::array<Vector3, 3>;

bool Less(const Key& a, const Key& b) {
  auto tie = [](const Key& k) {
    return std::tie(k[0].x, k[0].y, k[0].z, k[1].x, k[1].y, k[1].z, k[2].x, k[2].y, k[2].z);
  };
  return tie(a) < tie(b);
}
bool Same(const Key& a, const Key& b) { return !Less(a, b) && !Less(b, a); }

float Uniform(std::mt19937& random, float lo, float hi) {
  return std::uniform_real_distribution<float>(lo, hi)(random);
}

Vector3 RandomPoint(std::mt19937& random, const Vector3& lo, const Vector3& hi) {
  return Vector3(Uniform(random, lo.x, hi.x), Uniform(random, lo.y, hi.y),
                 Uniform(random, lo.z, hi.z));
}

// Loose triangles of many sizes and slopes in a 200-unit box, and a ragged
// floor under them.
LevelMesh RandomMesh(uint32_t seed) {
  std::mt19937 random(seed);
  LevelMesh mesh;
  mesh.materialNames = {"grass", "rock", "metal"};
  auto vertex = [&](const Vector3& p) {
    mesh.positions.push_back(p);
    mesh.normals.push_back(Vector3(0, 1, 0));
    mesh.texCoords.push_back(TexCoord{p.x, p.z});
    return static_cast<uint32_t>(mesh.positions.size() - 1);
  };
  for (int i = 0; i < 300; ++i) {
    Vector3 centre = RandomPoint(random, Vector3(-100, 0, -100), Vector3(100, 60, 100));
    float size = Uniform(random, 0.5f, 50.0f);
    Vector3 half(size, size, size);
    uint32_t a = vertex(RandomPoint(random, centre - half, centre + half));
    uint32_t b = vertex(RandomPoint(random, centre - half, centre + half));
    uint32_t c = vertex(RandomPoint(random, centre - half, centre + half));
    mesh.triangles.push_back(MeshTriangle{{a, b, c}, i % 3});
  }
  const uint32_t cells = 10, base = static_cast<uint32_t>(mesh.positions.size());
  for (uint32_t i = 0; i <= cells; ++i) {
    for (uint32_t j = 0; j <= cells; ++j) {
      vertex(Vector3(-100 + 20.0f * i, Uniform(random, -4, 4), -100 + 20.0f * j));
    }
  }
  for (uint32_t i = 0; i < cells; ++i) {
    for (uint32_t j = 0; j < cells; ++j) {
      uint32_t v00 = base + i * (cells + 1) + j, v10 = v00 + cells + 1;
      mesh.triangles.push_back(MeshTriangle{{v00, v00 + 1, v10 + 1}, 0});
      mesh.triangles.push_back(MeshTriangle{{v00, v10 + 1, v10}, 0});
    }
  }
  mesh.spawnPoints.push_back(Vector3(0, 10, 0));
  return mesh;
}

bool Within(const Vector3& p, const Vector3& lo, const Vector3& hi, float slack) {
  return BoxContains(lo - Vector3(slack, slack, slack), hi + Vector3(slack, slack, slack), p);
}

// Compares one sphere query with the test of every triangle. A sphere wider
// than a cell of level 1 is tested against the root alone, which misses
// nothing; one wider than the root, or centred outside it, meets nothing;
// otherwise one whose box reaches past the root box is not collided at all.
// Else the octree may miss exactly one kind of contact: one reached only
// through the edge allowance (the centre's projection outside the triangle),
// by a triangle that lies wholly outside the sphere's box and so in no cell
// the query visits.
void CheckSphere(const LevelData& level, const Vector3& centre, float radius, int* contacts,
                 int* allowedMisses) {
  RecordingEntity entity(1, radius);
  entity.frozen = true;
  entity.position = centre;
  float unused = 0.0f;
  level.octree.Collide(&entity, &unused, 0.02f);
  const Octree& octree = level.octree;
  const OctreeNode& root = *octree.Root();
  auto narrower = [radius](const Vector3& cell) {
    return cell.x < radius || cell.y < radius || cell.z < radius;
  };
  const bool rootAlone = octree.LevelCount() == 1 || narrower(octree.CellSize(1));
  Vector3 r(radius, radius, radius);
  if (!Within(centre, root.boxMin, root.boxMax, 0) || narrower(octree.CellSize(0)) ||
      (!rootAlone && (!Within(centre - r, root.boxMin, root.boxMax, 0) ||
                      !Within(centre + r, root.boxMin, root.boxMax, 0)))) {
    EXPECT_TRUE(entity.contacts.empty()) << "radius " << radius << " at (" << centre.x << ", "
                                         << centre.y << ", " << centre.z << ")";
    return;
  }
  std::vector<Key> found = entity.contacts;
  std::sort(found.begin(), found.end(), Less);
  ASSERT_TRUE(std::adjacent_find(found.begin(), found.end(), Same) == found.end())
      << "a triangle answered twice in one query";

  for (int32_t index : BruteForceSphereContacts(level, centre, radius)) {
    const LevelTriangle& t = level.triangles[index];
    const Key corners = {level.positions[t.vertex[0]], level.positions[t.vertex[1]],
                         level.positions[t.vertex[2]]};
    ++*contacts;
    auto at = std::lower_bound(found.begin(), found.end(), corners, Less);
    if (at != found.end() && Same(*at, corners)) {
      found.erase(at);
      continue;
    }
    EXPECT_FALSE(rootAlone) << "the root alone missed triangle " << index;
    float d = 0.0f;
    t.plane.ClassifySphere(centre, radius, &d);
    EXPECT_FALSE(PointInPolygon(centre - t.plane.normal * d, corners.data(), 3))
        << "missed a contact inside triangle " << index;
    EXPECT_FALSE(TriangleOverlapsBox(corners[0], corners[1], corners[2], centre - r, centre + r))
        << "missed triangle " << index << " which overlaps the sphere's box";
    ++*allowedMisses;
  }
  EXPECT_TRUE(found.empty()) << found.size() << " contacts the test of every triangle lacks";
}

float Axis(const Vector3& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

// True when every leaf that lists `triangle` around `hit` is one the slab
// test skips as parallel: the ray's direction on some axis is below the
// threshold and its origin lies outside the leaf on that axis.
bool SkippedAsParallel(const LevelData& level, const Ray& ray, int32_t triangle,
                       const Vector3& hit) {
  bool any = false;
  for (const OctreeNode& node : level.octree.Nodes()) {
    bool lists = false;
    for (uint32_t r = node.firstRef; r < node.firstRef + node.RefCount(); ++r) {
      lists = lists || level.octree.Ref(r).triangle == triangle;
    }
    if (!node.IsLeaf() || !Within(hit, node.boxMin, node.boxMax, 0.01f) || !lists) continue;
    any = true;
    bool parallelOutside = false;
    for (int axis = 0; axis < 3; ++axis) {
      float o = Axis(ray.origin, axis);
      parallelOutside |= std::fabs(Axis(ray.direction, axis)) < 0.0001f &&
                         (o < Axis(node.boxMin, axis) || o > Axis(node.boxMax, axis));
    }
    if (!parallelOutside) return false;
  }
  return any;
}

// Compares one ray query with the test of every triangle: the same nearest
// hit, except where the nearest triangle is reachable only through leaves
// the slab test skips as parallel.
void CheckRay(const LevelData& level, const Ray& ray, float maxDistance, int* hits,
              int* allowedMisses) {
  float octreeHit = -1.0f, bruteHit = -1.0f;
  int32_t triangle = -1;
  bool octree = level.octree.RayCast(&ray, maxDistance, &octreeHit);
  bool brute = BruteForceRayCast(level, ray, maxDistance, &bruteHit, &triangle);
  // Processors with and without eight-float vectors answer alike.
  float narrowHit = -1.0f;
  EXPECT_EQ(level.octree.RayCastNarrow(&ray, maxDistance, &narrowHit), octree);
  EXPECT_EQ(narrowHit, octreeHit);
  if (brute) ++*hits;
  if (octree == brute && octreeHit == bruteHit) return;
  ASSERT_TRUE(brute) << "the octree hit something no triangle has";
  EXPECT_GT(octreeHit, bruteHit);
  EXPECT_TRUE(SkippedAsParallel(level, ray, triangle, ray.origin + ray.direction * bruteHit))
      << "ray from (" << ray.origin.x << ", " << ray.origin.y << ", " << ray.origin.z << ") along ("
      << ray.direction.x << ", " << ray.direction.y << ", " << ray.direction.z << "): octree "
      << octreeHit << ", every triangle " << bruteHit;
  ++*allowedMisses;
}

Vector3 RandomDirection(std::mt19937& random) {
  Vector3 d = RandomPoint(random, Vector3(-1, -1, -1), Vector3(1, 1, 1));
  switch (random() % 10) {
    case 0:  // along an axis
      d = Vector3(0, 0, 0);
      (random() % 2 ? d.x : d.z) = random() % 2 ? 1.0f : -1.0f;
      break;
    case 1:  // straight down
      d = Vector3(0, -1, 0);
      break;
    case 2:  // nearly parallel to a slab
      d.x = Uniform(random, -0.00009f, 0.00009f);
      break;
  }
  return d;
}

// Spheres near triangles, so that most of them touch something, spheres
// anywhere, and rays of every kind, within the box the geometry fills.
void CheckQueries(LevelData& level, const Vector3& lo, const Vector3& hi, uint32_t seed) {
  gLevelVertices = level.positions.data();
  gLevelTriangles = level.triangles.data();
  FakeClock clock(FreshTicks(), 1);
  std::mt19937 random(seed);

  int contacts = 0, contactMisses = 0;
  for (int i = 0; i < 600; ++i) {
    const LevelTriangle& t = level.triangles[random() % level.triangles.size()];
    float u = Uniform(random, 0, 1), v = Uniform(random, 0, 1);
    if (u + v > 1) u = 1 - u, v = 1 - v;
    Vector3 a = level.positions[t.vertex[0]], b = level.positions[t.vertex[1]],
            c = level.positions[t.vertex[2]];
    float radius = Uniform(random, 0.5f, 8.0f);
    Vector3 nudge = RandomPoint(random, Vector3(-1, -1, -1), Vector3(1, 1, 1)) * (radius * 1.2f);
    CheckSphere(level, a + (b - a) * u + (c - a) * v + nudge, radius, &contacts, &contactMisses);
  }
  for (int i = 0; i < 200; ++i) {
    Vector3 centre = RandomPoint(random, lo, hi);
    CheckSphere(level, centre, Uniform(random, 0.5f, 8.0f), &contacts, &contactMisses);
  }
  EXPECT_GT(contacts, 300);
  EXPECT_LT(contactMisses * 20, contacts);
  // Spheres wider than the narrowest side of a cell of level 1: some test
  // the root alone, the widest nothing.
  const Vector3 root = level.octree.CellSize(0);
  const float least = std::min({root.x, root.y, root.z}) * 0.5f;
  const float most = std::max({root.x, root.y, root.z}) * 1.2f;
  for (int i = 0; i < 20; ++i) {
    CheckSphere(level, RandomPoint(random, lo, hi), Uniform(random, least * 1.01f, most), &contacts,
                &contactMisses);
  }

  int hits = 0, rayMisses = 0;
  for (int i = 0; i < 600; ++i) {
    Ray ray{RandomPoint(random, lo, hi), RandomDirection(random)};
    CheckRay(level, ray, Uniform(random, 1.0f, 400.0f), &hits, &rayMisses);
  }
  EXPECT_GT(hits, 150);
  EXPECT_LT(rayMisses * 10, hits);
  gLevelVertices = nullptr;
  gLevelTriangles = nullptr;
}

// Makes every interior node that lists no triangle a leaf and leaves the
// nodes under leaves out of the file, as the format allows: the grids then
// have empty cells. Returns how many branches it cut.
int PruneEmptyBranches(LevelSource& source) {
  std::vector<SourceOctreeNode>& nodes = source.octreeNodes;
  std::vector<SourceOctreeNode> written;
  std::vector<bool> inFile(nodes.size(), false);
  int cut = 0;
  for (size_t i = 0; i < nodes.size(); ++i) {
    const size_t parent = (i - 1) / 8;
    if (i > 0 && (!inFile[parent] || nodes[parent].isLeaf)) continue;
    inFile[i] = true;
    if (!nodes[i].isLeaf && nodes[i].refs.empty()) {
      nodes[i].isLeaf = 1;
      ++cut;
    }
    written.push_back(nodes[i]);
  }
  nodes = written;
  return cut;
}

LevelData ReadBack(const LevelSource& source) {
  std::vector<uint8_t> bytes = WriteOrDie(source);
  ByteReader reader(bytes);
  LevelData level;
  EXPECT_TRUE(ReadLevel(reader, level)) << reader.Error();
  return level;
}

class RandomLevel : public ::testing::TestWithParam<std::tuple<uint32_t, int32_t>> {};

TEST_P(RandomLevel, QueriesFindWhatTestingEveryTriangleFinds) {
  auto [seed, levels] = GetParam();
  OctreeBuildOptions options;
  options.levels = levels;
  LevelSource source;
  LevelBuildReport report;
  std::string error;
  ASSERT_TRUE(BuildLevel(RandomMesh(seed), options, source, report, error)) << error;
  LevelData level = ReadBack(source);
  ASSERT_FALSE(HasFailure());
  CheckQueries(level, Vector3(-100, -50, -100), Vector3(100, 110, 100), seed + 17);
  // Without the records of the deepest leaves' boxes the query reads the
  // leaves' own, and must answer the same.
  const size_t withRecords = level.octree.MemoryBytes();
  level.octree.MeasureContents(level.positions.data(), level.triangles.data(), false);
  const bool hadRecords = level.octree.MemoryBytes() < withRecords;
  // A tree deeper than the levels of content boxes has such records.
  if (levels >= 8) {
    EXPECT_TRUE(hadRecords) << "no leaf records to leave out";
  }
  if (hadRecords) {
    CheckQueries(level, Vector3(-100, -50, -100), Vector3(100, 110, 100), seed + 19);
  }

  // The same level with its empty branches cut: queries now meet empty cells.
  // A tree this deep is refused then: so small a file cannot describe it.
  if (levels > kOctreeLevelsAlwaysAllowed) return;
  const int cutCount = PruneEmptyBranches(source);
  if (cutCount == 0) {
    EXPECT_LT(levels, 4) << "no branch to cut";
    return;
  }
  LevelData pruned = ReadBack(source);
  ASSERT_FALSE(HasFailure());
  CheckQueries(pruned, Vector3(-100, -50, -100), Vector3(100, 110, 100), seed + 23);
}

// Level counts 0 (chosen from the density), 1 (the root alone), 3 and 5.
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLevel,
                         ::testing::Combine(::testing::Values(1u, 2u, 3u),
                                            ::testing::Values(0, 1, 3, 5)));
// A tree deeper than the levels whose content boxes the ray query keeps.
INSTANTIATE_TEST_SUITE_P(Deep, RandomLevel,
                         ::testing::Combine(::testing::Values(4u), ::testing::Values(8)));

// The default level the build compiles from make_arena's mesh.
class DefaultLevel : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile((DataDir() + "/map.wrl").c_str(), bytes, error)) << error;
    ByteReader reader(bytes);
    ASSERT_TRUE(ReadLevel(reader, level)) << reader.Error();
  }
  LevelData level;
};

TEST_F(DefaultLevel, QueriesFindWhatTestingEveryTriangleFinds) {
  CheckQueries(level, Vector3(-900, 0, -900), Vector3(900, 160, 900), 99);
}

TEST_F(DefaultLevel, HasTheArenasMaterialsAndPathAndTheShipStartsInTheOpenAboveGround) {
  std::set<std::string> names(level.materialNames.begin(), level.materialNames.end());
  EXPECT_EQ(names, (std::set<std::string>{"grass", "rock", "concrete", "metal", "sand"}));
  for (int32_t i = 0; i < level.materialCount; ++i) EXPECT_EQ(level.groups[i].material, i);
  EXPECT_GE(level.triangleCount, 3000u);
  for (const PathNode& node : level.pathNodes) EXPECT_GE(node.linkCount, 2u);

  ASSERT_GE(level.spawnPointCount, 1u);
  gLevelVertices = level.positions.data();
  gLevelTriangles = level.triangles.data();
  FakeClock clock(FreshTicks(), 1);
  const Vector3 spawn = level.spawnPoints[0].position;
  Ray down{spawn, Vector3(0, -1, 0)}, up{spawn, Vector3(0, 1, 0)};
  float below = -1.0f, above = 0.0f;
  EXPECT_TRUE(level.octree.RayCast(&down, 100.0f, &below));
  EXPECT_GT(below, 3.0f);
  EXPECT_LT(below, 20.0f);
  EXPECT_FALSE(level.octree.RayCast(&up, 500.0f, &above));
  RecordingEntity ship(kKindPlayerShip, 3.0f);
  ship.position = spawn - Vector3(0, below - 2.5f, 0);
  float unused = 0.0f;
  level.octree.Collide(&ship, &unused, 0.02f);
  EXPECT_TRUE(ship.collided);
  EXPECT_GT(gPolygonsTested, 0);
  EXPECT_LT(gPolygonsTested, 200);
  gLevelVertices = nullptr;
  gLevelTriangles = nullptr;
}

}  // namespace

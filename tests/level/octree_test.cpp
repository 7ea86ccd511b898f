// The octree as read from a level file: its layout, its grids and the ray
// query.
#include "level/octree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "tests/level/level_test_support.h"
#include "tests/support/fake_clock.h"
#include "tools/level/reference_queries.h"

namespace {

const Corners kFloor = {Vector3(-50, 0, -50), Vector3(-50, 0, 50), Vector3(50, 0, -50)};

LevelSource Floor(int32_t levels, const Vector3& lo = Vector3(-64, -64, -64),
                  const Vector3& hi = Vector3(64, 64, 64)) {
  return SoupLevel({kFloor}, levels, lo, hi);
}

TEST(Octree, OneLevelIsTheRootAloneAsALeaf) {
  LoadedLevel level(Floor(1, Vector3(-64, -64, -64), Vector3(64, 32, 64)));
  const Octree& octree = level.data.octree;
  ASSERT_EQ(octree.nodes.size(), 1u);
  EXPECT_EQ(octree.root, &octree.nodes[0]);
  EXPECT_TRUE(octree.root->IsLeaf());
  ASSERT_EQ(octree.grid.size(), 1u);
  EXPECT_EQ(octree.grid[0], std::vector<int32_t>{0});
  EXPECT_EQ(octree.cellsPerAxis, std::vector<int32_t>{1});
  EXPECT_EQ(octree.cellSize[0].y, 96.0f);
}

TEST(Octree, ThreeLevelsFillSeventyThreePositionsEachFiledInItsGridCell) {
  LoadedLevel level(Floor(3));
  const Octree& octree = level.data.octree;
  ASSERT_EQ(octree.nodes.size(), 73u);
  EXPECT_EQ(octree.cellsPerAxis, (std::vector<int32_t>{1, 2, 4}));
  for (int32_t i = 0; i < 73; ++i) {
    const OctreeNode& node = octree.nodes[i];
    int32_t depth = i == 0 ? 0 : (i < 9 ? 1 : 2);
    EXPECT_EQ(Octree::Depth(i), depth) << i;
    EXPECT_TRUE(node.IsPresent()) << i;
    EXPECT_EQ(node.IsLeaf(), depth == 2) << i;
    if (i > 0) {
      EXPECT_EQ(Octree::Child(Octree::Parent(i), (i - 1) % 8), i);
    }
  }
  for (int32_t l = 0; l < 3; ++l) {
    int32_t n = 1 << l;
    float s = 128.0f / static_cast<float>(n);
    EXPECT_EQ(octree.cellSize[l].x, s);
    ASSERT_EQ(octree.grid[l].size(), static_cast<size_t>(n * n * n));
    for (int32_t cell = 0; cell < n * n * n; ++cell) {
      ASSERT_GE(octree.grid[l][cell], 0);
      EXPECT_EQ(Octree::Depth(octree.grid[l][cell]), l);
      const OctreeNode* node = &octree.nodes[octree.grid[l][cell]];
      Vector3 c = (node->boxMin + node->boxMax) * 0.5f + octree.offset;
      int32_t x = static_cast<int32_t>(c.x / s), y = static_cast<int32_t>(c.y / s),
              z = static_cast<int32_t>(c.z / s);
      EXPECT_EQ((x * n + y) * n + z, cell);
    }
  }
}

TEST(Octree, OffsetLiftsANegativeMinimumToZero) {
  LoadedLevel negative(Floor(2, Vector3(-100, -50, -100), Vector3(100, 50, 100)));
  const Octree& a = negative.data.octree;
  EXPECT_EQ(a.offset.x, 100.0f);
  EXPECT_EQ(a.offset.y, 50.0f);
  EXPECT_EQ(a.offset.z, 100.0f);
  // The depth-1 node from (-100, -50, -100) to (0, 0, 0) is in cell 0.
  ASSERT_GE(a.grid[1][0], 0);
  EXPECT_EQ(a.nodes[a.grid[1][0]].boxMin.y, -50.0f);
  EXPECT_EQ(a.nodes[a.grid[1][0]].boxMax.x, 0.0f);
  EXPECT_EQ(a.cellSize[1].y, 50.0f);

  LoadedLevel positive(SoupLevel({{Vector3(1, 1, 1), Vector3(1, 1, 2), Vector3(2, 1, 1)}}, 2,
                                 Vector3(0, 0, 0), Vector3(10, 10, 10)));
  EXPECT_EQ(positive.data.octree.offset.x, 0.0f);
  EXPECT_EQ(positive.data.octree.offset.y, 0.0f);
}

TEST(Octree, MovingKeepsTheRootPointingIntoTheNodes) {
  LoadedLevel level(Floor(3));
  Octree& source = level.data.octree;
  const OctreeNode* firstNode = source.nodes.data();
  Octree moved(std::move(source));
  EXPECT_EQ(moved.root, firstNode);
  EXPECT_EQ(moved.nodes.data(), firstNode);
  EXPECT_EQ(source.root, nullptr);
  EXPECT_TRUE(source.grid.empty());
  EXPECT_TRUE(source.refs.empty());

  Octree assigned;
  assigned = std::move(moved);
  EXPECT_EQ(assigned.root, firstNode);
  EXPECT_FALSE(assigned.refs.empty());
  EXPECT_EQ(moved.root, nullptr);
}

// A tree whose depth-1 nodes are all leaves but node 1: the file holds node
// 1's children only, which land at positions 9 to 16; the positions under
// the other leaves stay empty, and queries reach the floor through node 1.
TEST(Octree, OnlyTheChildrenOfInteriorNodesAreInTheFile) {
  // The floor at y = 0 lies inside node 1's box, not on its face.
  LevelSource source = Floor(3, Vector3(-64, -16, -64), Vector3(64, 112, 64));
  for (int32_t i = 2; i <= 8; ++i) source.octreeNodes[i].isLeaf = 1;
  source.octreeNodes.erase(source.octreeNodes.begin() + 17, source.octreeNodes.end());
  FakeClock clock(FreshTicks());
  LoadedLevel level(source);
  ASSERT_TRUE(level.ok) << level.error;
  const Octree& octree = level.data.octree;
  for (int32_t i = 0; i < 73; ++i) {
    const OctreeNode& node = octree.nodes[i];
    EXPECT_EQ(node.IsPresent(), i <= 16) << i;
    if (i > 16) continue;
    const SourceOctreeNode& written = source.octreeNodes[i];
    EXPECT_EQ(node.IsLeaf(), written.isLeaf != 0) << i;
    EXPECT_EQ(node.boxMin.x, written.boxMin.x) << i;
    EXPECT_EQ(node.boxMax.z, written.boxMax.z) << i;
    ASSERT_EQ(node.RefCount(), written.refs.size()) << i;
    for (size_t r = 0; r < written.refs.size(); ++r) {
      EXPECT_EQ(octree.Ref(node.firstRef + r).triangle, written.refs[r].triangle);
    }
  }
  EXPECT_EQ(std::count_if(octree.grid[2].begin(), octree.grid[2].end(),
                          [](int32_t cell) { return cell >= 0; }),
            8);
  // A point under node 1, whose box is the first octant.
  const OctreeNode& one = octree.nodes[1];
  Vector3 inside = (one.boxMin + one.boxMax) * 0.5f;
  ASSERT_LT(one.boxMin.y, 0.0f);
  ASSERT_GT(one.boxMax.y, 0.0f);
  Ray down{Vector3(inside.x, 10, inside.z), Vector3(0, -1, 0)};
  Ray slanted{Vector3(inside.x, 10, inside.z), Vector3(0.3f, -1, 0.2f)};
  float hit = 0.0f;
  EXPECT_TRUE(octree.RayCast(&down, 100.0f, &hit));
  EXPECT_FLOAT_EQ(hit, 10.0f);
  EXPECT_TRUE(octree.RayCast(&slanted, 100.0f, &hit));
  EXPECT_FLOAT_EQ(hit, 10.0f);
}

TEST(RayHitsBox, SlabsAndDirection) {
  const Vector3 lo(-10, -10, -10), hi(10, 10, 10);
  Ray parallel{Vector3(20, 0, -50), Vector3(0, 0, 1)};
  EXPECT_FALSE(RayHitsBox(&parallel, lo, hi));  // parallel to the x slab, outside it
  parallel.origin.x = 10.0f;                    // on the slab's face: inside
  EXPECT_TRUE(RayHitsBox(&parallel, lo, hi));
  Ray ray{Vector3(0, 0, 0), Vector3(0, 0, 1)};
  EXPECT_FALSE(RayHitsBox(&ray, Vector3(-1, -1, -20), Vector3(1, 1, -10)));  // behind
  EXPECT_TRUE(RayHitsBox(&ray, Vector3(-1, -1, 1000), Vector3(1, 1, 1010)));  // far ahead
}

class RayCast : public ::testing::Test {
 protected:
  RayCast() : level(Floor(3)) {}
  FakeClock clock{FreshTicks()};
  LoadedLevel level;
};

TEST_F(RayCast, HitsOnlyTheFrontWithinTheSegmentEndExcluded) {
  struct Case {
    const char* what;
    Ray ray;
    float maxDistance;
    bool hit;
    float distance;
  };
  const Case cases[] = {
      {"front", {Vector3(-10, 20, -10), Vector3(0, -1, 0)}, 100.0f, true, 20.0f},
      {"back face", {Vector3(-10, -20, -10), Vector3(0, 1, 0)}, 100.0f, false, 100.0f},
      {"ending on it: t = 1", {Vector3(-10, 16, -10), Vector3(0, -1, 0)}, 16.0f, false, 16.0f},
      {"just past it", {Vector3(-10, 16, -10), Vector3(0, -1, 0)}, 16.5f, true, 16.0f},
  };
  for (const Case& c : cases) {
    clock.Set(FreshTicks());
    float hit = -1.0f;
    EXPECT_EQ(level.data.octree.RayCast(&c.ray, c.maxDistance, &hit), c.hit) << c.what;
    EXPECT_FLOAT_EQ(hit, c.distance) << c.what;
  }
}

TEST_F(RayCast, ATriangleInTwoLeavesIsTestedOncePerQuery) {
  // The floor lies in many leaves the ray passes; stamped with the query's
  // own tag and stamp before it runs, it is skipped in every one of them.
  Ray ray{Vector3(-10, 20, -10), Vector3(0, -1, 0)};
  uint32_t stamp = FreshTicks();
  clock.Set(stamp);
  int listed = 0;
  for (const OctreeNode& node : level.data.octree.nodes) {
    if (node.IsLeaf() && node.RefCount() > 0 && RayHitsBox(&ray, node.boxMin, node.boxMax)) {
      ++listed;
    }
  }
  ASSERT_GE(listed, 2);
  level.data.triangles[0].queryTag = &ray;
  level.data.triangles[0].queryStamp = stamp;
  float hit = 0.0f;
  EXPECT_FALSE(level.data.octree.RayCast(&ray, 100.0f, &hit));

  // The next query, at a later tick, tests it again and leaves its mark.
  uint32_t later = FreshTicks();
  clock.Set(later);
  EXPECT_TRUE(level.data.octree.RayCast(&ray, 100.0f, &hit));
  EXPECT_EQ(level.data.triangles[0].queryTag, &ray);
  EXPECT_EQ(level.data.triangles[0].queryStamp, later);
}

TEST_F(RayCast, TwoQueriesWithOneRayInOneMillisecondBothHit) {
  Ray ray{Vector3(-10, 20, -10), Vector3(0, -1, 0)};
  float first = 0.0f, second = 0.0f;
  EXPECT_TRUE(level.data.octree.RayCast(&ray, 100.0f, &first));
  EXPECT_TRUE(level.data.octree.RayCast(&ray, 100.0f, &second));
  EXPECT_EQ(first, second);
}

TEST(RayCastNearlyParallel, MissesLeavesWhoseSlabExcludesTheOrigin) {
  // A small triangle wholly at x < 0, listed only in leaves whose x range
  // ends at 0. The ray starts at x = 0.001 and drifts to x = -0.001 by the
  // time it meets the triangle, but its x direction is below the slab
  // threshold, so those leaves count as parallel and outside: the one place
  // the octree and a test of every triangle differ by design.
  FakeClock clock(FreshTicks());
  LoadedLevel level(
      SoupLevel({{Vector3(-0.0005f, 0, -20), Vector3(-10, 0, -10), Vector3(-0.0005f, 0, 0)}}, 3,
                Vector3(-64, -64, -64), Vector3(64, 64, 64)));
  Ray ray{Vector3(0.001f, 0.04f, -50), Vector3(-0.00005f, -0.001f, 1)};
  float octreeHit = 0.0f, bruteHit = 0.0f;
  int32_t triangle = -1;
  ASSERT_TRUE(BruteForceRayCast(level.data, ray, 100.0f, &bruteHit, &triangle));
  EXPECT_NEAR(bruteHit, 40.0f, 0.01f);
  EXPECT_FALSE(level.data.octree.RayCast(&ray, 100.0f, &octreeHit));
  EXPECT_EQ(octreeHit, 100.0f);

  // With a direction past the threshold the octree finds it too.
  Ray steeper{Vector3(0.01f, 0.04f, -50), Vector3(-0.0005f, -0.001f, 1)};
  EXPECT_TRUE(BruteForceRayCast(level.data, steeper, 100.0f, &bruteHit, &triangle));
  EXPECT_TRUE(level.data.octree.RayCast(&steeper, 100.0f, &octreeHit));
  EXPECT_EQ(octreeHit, bruteHit);
}

}  // namespace

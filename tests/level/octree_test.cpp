// The octree as read from a level file: its layout, its grids and the ray
// query.
#include "level/octree.h"

#include <gtest/gtest.h>

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
  EXPECT_NE(octree.root->isLeaf, 0);
  ASSERT_EQ(octree.grid.size(), 1u);
  EXPECT_EQ(octree.grid[0], std::vector<OctreeNode*>{octree.root});
  EXPECT_EQ(octree.cellsPerAxis, std::vector<int32_t>{1});
  EXPECT_EQ(octree.cellSize[0].y, 96.0f);
  for (OctreeNode* child : octree.root->children) EXPECT_EQ(child, nullptr);
}

TEST(Octree, ThreeLevelsFillSeventyThreePositionsEachFiledInItsGridCell) {
  LoadedLevel level(Floor(3));
  const Octree& octree = level.data.octree;
  ASSERT_EQ(octree.nodes.size(), 73u);
  EXPECT_EQ(octree.cellsPerAxis, (std::vector<int32_t>{1, 2, 4}));
  EXPECT_EQ(octree.root->parent, nullptr);
  for (int32_t i = 0; i < 73; ++i) {
    const OctreeNode& node = octree.nodes[i];
    EXPECT_EQ(node.index, i);
    int32_t depth = i == 0 ? 0 : (i < 9 ? 1 : 2);
    EXPECT_EQ(node.depth, depth) << i;
    EXPECT_EQ(node.isLeaf != 0, depth == 2) << i;
    if (i > 0) {
      ASSERT_NE(node.parent, nullptr);
      EXPECT_EQ(node.parent->children[(i - 1) % 8], &node);
      EXPECT_EQ(node.parent->index, (i - 1) / 8);
    }
  }
  for (int32_t l = 0; l < 3; ++l) {
    int32_t n = 1 << l;
    float s = 128.0f / static_cast<float>(n);
    EXPECT_EQ(octree.cellSize[l].x, s);
    ASSERT_EQ(octree.grid[l].size(), static_cast<size_t>(n * n * n));
    for (int32_t cell = 0; cell < n * n * n; ++cell) {
      const OctreeNode* node = octree.grid[l][cell];
      ASSERT_NE(node, nullptr);
      EXPECT_EQ(node->depth, l);
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
  ASSERT_NE(a.grid[1][0], nullptr);
  EXPECT_EQ(a.grid[1][0]->boxMin.y, -50.0f);
  EXPECT_EQ(a.grid[1][0]->boxMax.x, 0.0f);
  EXPECT_EQ(a.cellSize[1].y, 50.0f);

  LoadedLevel positive(SoupLevel({{Vector3(1, 1, 1), Vector3(1, 1, 2), Vector3(2, 1, 1)}}, 2,
                                 Vector3(0, 0, 0), Vector3(10, 10, 10)));
  EXPECT_EQ(positive.data.octree.offset.x, 0.0f);
  EXPECT_EQ(positive.data.octree.offset.y, 0.0f);
}

TEST(Octree, MovingKeepsEveryPointerIntoTheNodes) {
  LoadedLevel level(Floor(3));
  Octree& source = level.data.octree;
  const OctreeNode* firstNode = source.nodes.data();
  Octree moved(std::move(source));
  EXPECT_EQ(moved.root, firstNode);
  EXPECT_EQ(moved.grid[2][5]->parent->children[0]->parent, moved.grid[2][5]->parent);
  EXPECT_EQ(source.root, nullptr);
  EXPECT_TRUE(source.grid.empty());

  Octree assigned;
  assigned = std::move(moved);
  EXPECT_EQ(assigned.root, firstNode);
  EXPECT_EQ(assigned.nodes[9].parent, &assigned.nodes[1]);
  EXPECT_EQ(moved.root, nullptr);
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
    if (node.isLeaf && !node.refs.empty() && RayHitsBox(&ray, node.boxMin, node.boxMax)) ++listed;
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

// The octree's ray query at its edges. Its answers on whole levels are checked in
// level_property_test.
#include "level/octree.h"

#include <gtest/gtest.h>

#include "assets/byte_reader.h"
#include "assets/byte_writer.h"
#include "tests/level/level_test_support.h"
#include "tests/support/fake_clock.h"

namespace {

const Corners kFloor = {Vector3(-50, 0, -50), Vector3(-50, 0, 50), Vector3(50, 0, -50)};

// The floor in a complete octree of three levels.
LevelSource Floor() { return SoupLevel({kFloor}, 3, Vector3(-64, -64, -64), Vector3(64, 64, 64)); }

TEST(RayHitsBox, SlabsAndDirection) {
  const Vector3 lo(-10, -10, -10), hi(10, 10, 10);
  Ray parallel{Vector3(20, 0, -50), Vector3(0, 0, 1)};
  EXPECT_FALSE(RayHitsBox(&parallel, lo, hi));  // parallel to the x slab, outside it
  parallel.origin.x = 10.0f;                    // on the slab's face: inside
  EXPECT_TRUE(RayHitsBox(&parallel, lo, hi));
  Ray ray{Vector3(0, 0, 0), Vector3(0, 0, 1)};
  EXPECT_FALSE(RayHitsBox(&ray, Vector3(-1, -1, -20), Vector3(1, 1, -10)));   // behind
  EXPECT_TRUE(RayHitsBox(&ray, Vector3(-1, -1, 1000), Vector3(1, 1, 1010)));  // far ahead
}

class RayCast : public ::testing::Test {
 protected:
  RayCast() : level(Floor()) {}
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

// An octree read but not yet measured has none of the boxes the query
// passes triangles by: a slanted ray, which the cut-off serves, must test
// the leaf's triangles one by one and find the floor all the same.
TEST_F(RayCast, BeforeTheBoxesAreMeasuredTestsEveryTriangle) {
  ByteWriter section;
  section.I32(1);  // one level: the root is the leaf
  section.U8(1);
  section.Vector(Vector3(-64, -64, -64));
  section.Vector(Vector3(64, 64, 64));
  section.I32(1);
  section.I32(0);  // material 0, the floor
  section.I32(0);
  ByteReader reader(section.Bytes());
  Octree unmeasured;
  ASSERT_TRUE(unmeasured.Read(reader, 1)) << reader.Error();
  const Ray slanted{Vector3(-10, 20, -10), Vector3(0.01f, -1.0f, 0.013f)};
  float measuredHit = -1.0f, unmeasuredHit = -1.0f;
  ASSERT_TRUE(level.data.octree.RayCast(&slanted, 100.0f, &measuredHit));
  EXPECT_TRUE(unmeasured.RayCast(&slanted, 100.0f, &unmeasuredHit));
  EXPECT_TRUE(unmeasured.RayCastNarrow(&slanted, 100.0f, &unmeasuredHit));
  EXPECT_FLOAT_EQ(unmeasuredHit, measuredHit);
}

// Where a ray down, slanted a little so that it runs parallel to no axis,
// first hits a soup of `levels` octree levels; -1 for no hit.
float SlantedHitDown(const std::vector<Corners>& triangles, int32_t levels) {
  FakeClock clock{FreshTicks()};
  LoadedLevel level(SoupLevel(triangles, levels, Vector3(-64, -64, -64), Vector3(64, 64, 64)));
  EXPECT_TRUE(level.ok) << level.error;
  const Ray ray{Vector3(-10, 30, -10), Vector3(0.01f, -1.0f, 0.013f)};
  float hit = -1.0f;
  return level.ok && level.data.octree.RayCast(&ray, 100.0f, &hit) ? hit : -1.0f;
}

// Forty floors stacked in one leaf, the highest listed first: a ray down
// through them all meets more boxes than the query sorts at once, and must
// still find the highest.
TEST(RayCastThroughAStack, FindsTheNearestOfMoreBoxesThanItSortsAtOnce) {
  std::vector<Corners> floors;
  for (int k = 0; k < 40; ++k) {
    const float y = 20.0f - 0.5f * static_cast<float>(k);
    floors.push_back({Vector3(-50, y, -50), Vector3(-50, y, 50), Vector3(50, y, -50)});
  }
  EXPECT_NEAR(SlantedHitDown(floors, 1), 10.0f, 1e-3f);
}

// A floor, 70000 specks in a far corner's leaf and a second floor above the
// first: the upper floor's index lies too far from the lower's to be stored
// beside their leaf's boxes, and the query must still find it.
TEST(RayCastThroughFarIndices, FindsATriangleListedFarFromTheLeafsFirst) {
  std::vector<Corners> triangles = {kFloor};
  for (int k = 1; k < 70000; ++k) {
    const Vector3 speck(60.0f, -60.0f + 0.001f * static_cast<float>(k), 60.0f);
    triangles.push_back({speck, speck + Vector3(0, 0, 0.5f), speck + Vector3(0.5f, 0, 0)});
  }
  Corners upper = kFloor;
  for (Vector3& corner : upper) corner.y = 10.0f;
  triangles.push_back(upper);
  EXPECT_NEAR(SlantedHitDown(triangles, 2), 20.0f, 1e-3f);
}

}  // namespace

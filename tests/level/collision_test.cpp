// Sphere collision of entities against the level's triangles.
#include "level/collision.h"

#include <gtest/gtest.h>

#include "assets/texture.h"
#include "level/octree.h"
#include "tests/level/level_test_support.h"
#include "tests/level/recording_entity.h"
#include "tests/support/fake_clock.h"
#include "tools/level/reference_queries.h"

namespace {

// A large floor at y = 0 facing up; its square corner edge runs along
// x = -50.
const Corners kFloor = {Vector3(-50, 0, -50), Vector3(-50, 0, 50), Vector3(50, 0, -50)};

class Collision : public ::testing::Test {
 protected:
  explicit Collision(std::vector<Corners> triangles = {kFloor}, int32_t levels = 3,
                     Vector3 lo = Vector3(-64, -64, -64), Vector3 hi = Vector3(64, 64, 64))
      : level(SoupLevel(triangles, levels, lo, hi)) {}

  void Collide(Entity& entity) {
    clock.Set(FreshTicks());
    level.data.octree.Collide(&entity, &unused, 0.02f);
  }

  FakeClock clock{FreshTicks()};
  LoadedLevel level;
  float unused = 0.0f;
};

TEST_F(Collision, AShipInFrontIsPushedOutAndLosesItsNormalSpeed) {
  RecordingEntity ship(kKindPlayerShip, 3.0f);
  ship.position = Vector3(-10, 2, -10);
  ship.velocity = Vector3(1, -5, 2);
  ship.force = Vector3(0, -80, 0);
  Collide(ship);

  EXPECT_EQ(ship.calls, (std::vector<std::string>{"contact", "force", "velocity", "translate"}));
  ASSERT_EQ(ship.contacts.size(), 1u);
  EXPECT_EQ(ship.contacts[0][1].z, 50.0f);  // the corners in vertex order
  EXPECT_FLOAT_EQ(ship.position.y, 3.0f);
  EXPECT_FLOAT_EQ(ship.position.x, -10.0f);
  EXPECT_FLOAT_EQ(ship.velocity.y, 0.0f);
  EXPECT_FLOAT_EQ(ship.velocity.x, 1.0f);
  EXPECT_FLOAT_EQ(ship.force.y, -80.0f + ship.mass);
  EXPECT_TRUE(ship.collided);
  EXPECT_EQ(gPolygonsTested, 1);
}

TEST_F(Collision, PushOutDependsOnTheSideOfThePlane) {
  struct Case {
    const char* what;
    float y;
    bool contact;
    float push, finalY;
  };
  const Case cases[] = {
      {"in front", 2, true, 1, 3},
      {"exactly the radius away: contact, no push", 3, true, 0, 3},
      {"centre on the plane: to the back side", 0, true, -3, -3},
      {"behind: further behind", -2, true, -1, -3},
      {"farther than the radius", 3.01f, false, 0, 3.01f},
  };
  for (const Case& c : cases) {
    RecordingEntity rocket(kKindRocket, 3.0f);
    rocket.position = Vector3(-10, c.y, -10);
    Collide(rocket);
    EXPECT_EQ(rocket.collided, c.contact) << c.what;
    ASSERT_EQ(rocket.translations.size(), c.contact ? 1u : 0u) << c.what;
    if (c.contact) {
      EXPECT_FLOAT_EQ(rocket.translations[0].y, c.push) << c.what;
    }
    EXPECT_FLOAT_EQ(rocket.position.y, c.finalY) << c.what;
  }
}

TEST_F(Collision, AProjectionOutsideTheTriangleTouchesOnlyWithinHalfTheRadiusOfAnEdge) {
  const std::pair<float, bool> cases[] = {{1.4f, true}, {1.5f, false}, {2.9f, false}};
  for (auto [beyondEdge, contact] : cases) {
    RecordingEntity entity(kKindRocket, 3.0f);
    entity.position = Vector3(-50 - beyondEdge, 2, 0);
    Collide(entity);
    EXPECT_EQ(entity.collided, contact) << beyondEdge;
  }
}

TEST_F(Collision, TheMaterialComesFromTheLevelMaterialsWhenTheyAreLoaded) {
  static Material materials[6];
  for (Material* loaded : {static_cast<Material*>(nullptr), materials}) {
    gLevelMaterials = loaded;
    RecordingEntity entity(kKindRocket, 3.0f);
    entity.position = Vector3(-10, 1, -10);
    Collide(entity);
    gLevelMaterials = nullptr;
    ASSERT_EQ(entity.materials.size(), 1u);
    EXPECT_EQ(entity.materials[0], loaded);
  }
}

TEST_F(Collision, WhereTheShipsBoxFallsDecidesWhatIsTestedAndCounted) {
  struct Case {
    const char* what;
    Vector3 position;
    int expectedCount;
  };
  const Case cases[] = {
      {"outside the root box: nothing", Vector3(65, 0, 0), 42},
      {"crossing the top face: nothing, but the count resets", Vector3(0, 62, 0), 0},
      // Its low corner lies 1.5 below the grid, which truncates to cell 0.
      {"less than a cell below the grid: still queried", Vector3(-62.5f, 1, -40), 1},
  };
  for (const Case& c : cases) {
    gPolygonsTested = 42;
    RecordingEntity ship(kKindPlayerShip, 3.0f);
    ship.position = c.position;
    Collide(ship);
    EXPECT_TRUE(ship.calls.empty()) << c.what;
    EXPECT_EQ(gPolygonsTested, c.expectedCount) << c.what;
  }
}

TEST_F(Collision, ATriangleInSeveralCellsIsTestedAndCountedOnce) {
  RecordingEntity ship(kKindPlayerShip, 3.0f);
  ship.frozen = true;
  ship.position = Vector3(-1, 1, -1);  // its box spans the cells around (0, 0, 0)
  int listing = 0;
  for (int32_t cell : level.data.octree.grid[2]) {
    const OctreeNode& node = level.data.octree.nodes[cell];
    if (node.RefCount() > 0 && BoxContains(node.boxMin - Vector3(3, 3, 3),
                                           node.boxMax + Vector3(3, 3, 3), ship.position)) {
      ++listing;
    }
  }
  ASSERT_GE(listing, 2);
  Collide(ship);
  EXPECT_EQ(gPolygonsTested, 1);
  EXPECT_EQ(ship.contacts.size(), 1u);
}

TEST_F(Collision, OtherKindsNeverChangeTheCount) {
  gPolygonsTested = 42;
  for (int32_t kind : {1, 2, 3}) {  // unused, rocket, explosion
    RecordingEntity entity(kind, 3.0f);
    entity.position = Vector3(-10, 1, -10);
    Collide(entity);
    EXPECT_TRUE(entity.collided);
    entity.position = Vector3(0, 62, 0);
    Collide(entity);
  }
  EXPECT_EQ(gPolygonsTested, 42);
}

TEST_F(Collision, AnEntityCollidedTwiceInOneMillisecondIsTestedBothTimes) {
  RecordingEntity entity(kKindRocket, 3.0f);
  entity.frozen = true;
  entity.position = Vector3(-10, 1, -10);
  level.data.octree.Collide(&entity, &unused, 0.02f);
  level.data.octree.Collide(&entity, &unused, 0.02f);
  EXPECT_EQ(entity.contacts.size(), 2u);
}

// Two floors, 2 apart: the push out of the first lifts the sphere clear of
// the second, because contacts are resolved one after another.
class SequentialCollision : public Collision {
 protected:
  SequentialCollision()
      : Collision({kFloor, {Vector3(-50, -2, -50), Vector3(-50, -2, 50), Vector3(50, -2, -50)}}) {}
};

TEST_F(SequentialCollision, LaterTrianglesSeeThePositionEarlierContactsLeft) {
  RecordingEntity entity(kKindRocket, 3.0f);
  entity.position = Vector3(-10, 0.5f, -10);
  Collide(entity);
  EXPECT_EQ(entity.contacts.size(), 1u);
  EXPECT_FLOAT_EQ(entity.position.y, 3.0f);
}

// A root box only 10 wide: level-1 cells of 5 are narrower than a radius
// of 6, so L = 0 and the root alone is tested.
class RootOnlyCollision : public Collision {
 protected:
  RootOnlyCollision()
      : Collision({{Vector3(-4, 0, -4), Vector3(-4, 0, 4), Vector3(4, 0, -4)}}, 2,
                  Vector3(-5, -5, -5), Vector3(5, 5, 5)) {}
};

TEST_F(RootOnlyCollision, ASphereWiderThanTheLevelOneCellsUsesTheRootAndWiderThanThatNothing) {
  RecordingEntity ship(kKindPlayerShip, 6.0f);
  ship.position = Vector3(-2, 1, -2);  // its box reaches far past the root box
  Collide(ship);
  EXPECT_EQ(ship.contacts.size(), 1u);
  EXPECT_EQ(gPolygonsTested, 1);

  gPolygonsTested = 42;
  RecordingEntity huge(kKindPlayerShip, 11.0f);
  huge.position = Vector3(-2, 1, -2);
  Collide(huge);
  EXPECT_TRUE(huge.calls.empty());
  EXPECT_EQ(gPolygonsTested, 42);
}

// A file of three levels whose depth-1 nodes are all leaves: the depth-2
// grid the radius chooses holds no nodes, which the reader accepts.
TEST(EmptyCellCollision, CellsWithoutANodeAreSkipped) {
  LevelSource source = SoupLevel({kFloor}, 2, Vector3(-64, -64, -64), Vector3(64, 64, 64));
  source.octreeLevels = 3;
  FakeClock clock(FreshTicks());
  LoadedLevel level(source);
  ASSERT_TRUE(level.ok);
  for (int32_t cell : level.data.octree.grid[2]) EXPECT_EQ(cell, -1);
  gPolygonsTested = 42;
  RecordingEntity ship(kKindPlayerShip, 3.0f);
  ship.position = Vector3(-10, 1, -10);
  float unused = 0.0f;
  level.data.octree.Collide(&ship, &unused, 0.02f);
  EXPECT_TRUE(ship.calls.empty());
  EXPECT_EQ(gPolygonsTested, 0);
}

// A tilted triangle wholly at x < 0 whose edge passes 1.45 from the sphere
// centre's projection (under the allowance of radius * 0.5) but 3.08 from
// the centre along x, beyond the sphere's box, which starts at x = 0.05 in
// the cells from x = 0. A test of every triangle finds this contact; the
// octree, visiting only the cells of the box, does not: the one place the
// two differ by design.
TEST(CollisionEdgeAllowance, AContactOutsideTheQueryCellsIsNotFound) {
  const float r = 3.0f;
  const Vector3 n = Normalized(Vector3(1, 1, 0));
  const Vector3 along = Normalized(Vector3(-1, 1, 0));  // in the plane, toward -x
  const Vector3 centre(3.05f, 10, 0);
  const Vector3 e = centre - n * 2.9f + along * 1.45f;  // 2.9 in front of the plane
  ASSERT_LT(e.x, 0.0f);
  FakeClock clock(FreshTicks());
  LoadedLevel level(SoupLevel({{e + Vector3(0, 0, 10), e + Vector3(0, 0, -10), e + along * 10}},
                              3, Vector3(-64, -64, -64), Vector3(64, 64, 64)));
  EXPECT_EQ(BruteForceSphereContacts(level.data, centre, r).size(), 1u);
  RecordingEntity entity(kKindRocket, r);
  entity.position = centre;
  float unused = 0.0f;
  level.data.octree.Collide(&entity, &unused, 0.02f);
  EXPECT_TRUE(entity.contacts.empty());
}

TEST(CollisionHelpers, ClassifySphereCountsTheRadiusAsTouching) {
  Plane plane = Plane::FromPoints(Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(1, 0, 0));
  float d = 0.0f;
  EXPECT_EQ(plane.ClassifySphere(Vector3(0, 3, 0), 3.0f, &d), PLANE_INTERSECTS);
  EXPECT_EQ(d, 3.0f);
  EXPECT_EQ(plane.ClassifySphere(Vector3(0, -3, 0), 3.0f, &d), PLANE_INTERSECTS);
  EXPECT_EQ(plane.ClassifySphere(Vector3(0, 3.5f, 0), 3.0f, &d), PLANE_FRONT);
  EXPECT_EQ(plane.ClassifySphere(Vector3(0, -3.5f, 0), 3.0f, &d), PLANE_BEHIND);
  EXPECT_EQ(d, -3.5f);
}

}  // namespace

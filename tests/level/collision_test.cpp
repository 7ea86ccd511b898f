// Sphere collision of entities against the level's triangles.
#include "level/collision.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "assets/texture.h"
#include "level/octree.h"
#include "tests/level/level_test_support.h"
#include "tests/level/recording_entity.h"
#include "tests/support/fake_clock.h"

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
      {"exactly the radius behind: contact, no push", -3, true, 0, -3},
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
    EXPECT_TRUE(ship.contacts.empty()) << c.what;
    EXPECT_EQ(gPolygonsTested, c.expectedCount) << c.what;
  }
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

// A level file may store a node's children in any order: each is found in
// the cell its box lies in, not the one its place in the file names.
TEST(CollisionLayout, ChildrenStoredOutOfTheCompilersOrderAreFoundByTheirBoxes) {
  const Corners west = {Vector3(-40, -10, -40), Vector3(-40, -10, -20), Vector3(-20, -10, -40)};
  const Corners east = {Vector3(20, -10, 20), Vector3(20, -10, 40), Vector3(40, -10, 20)};
  for (bool reversed : {false, true}) {
    LevelSource source = SoupLevel({west, east}, 2, Vector3(-64, -64, -64), Vector3(64, 64, 64));
    if (reversed) std::reverse(source.octreeNodes.begin() + 1, source.octreeNodes.end());
    LoadedLevel level(source);
    ASSERT_TRUE(level.ok) << level.error;
    for (const Corners& floor : {west, east}) {
      RecordingEntity rocket(kKindRocket, 3.0f);
      rocket.position = Vector3(floor[0].x + 5, -8, floor[0].z + 5);
      FakeClock clock(FreshTicks());
      level.data.octree.Collide(&rocket, nullptr, 0.02f);
      ASSERT_EQ(rocket.contacts.size(), 1u) << "reversed " << reversed;
      EXPECT_EQ(rocket.contacts[0][0].x, floor[0].x) << "reversed " << reversed;
    }
  }
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

}  // namespace

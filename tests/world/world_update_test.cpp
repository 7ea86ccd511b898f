#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/gl_context.h"
#include "tests/world/test_entity.h"
#include "world/world.h"

namespace {

// An entity that appends a new entity to the list during its own update.
class Spawner : public TestEntity {
 public:
  void Update(uint32_t index, EntityList& entities, float dt) override {
    TestEntity::Update(index, entities, dt);
    if (!spawned) {
      spawned = new TestEntity(10.0f);  // overlaps everything near it
      entities.push_back(spawned);
    }
  }
  TestEntity* spawned = nullptr;
};

class WorldUpdate : public ::testing::Test {
 protected:
  template <typename T = TestEntity>
  T* Add(const Vector3& at = Vector3(0, 0, 0), float radius = 1.0f) {
    T* e = new T();
    e->radius = radius;
    e->position = at;
    world.entities.push_back(e);
    return e;
  }

  World world;
};

TEST_F(WorldUpdate, GravityIsFortyTimesTheMassAndCollidedIsClearedAfterTheStep) {
  TestEntity* e = Add();
  e->mass = 2.0f;
  e->collided = true;
  world.Update(0.5f);
  EXPECT_EQ(e->updates, 1);
  EXPECT_FALSE(e->collided);
  EXPECT_FLOAT_EQ(e->force.y, -80.0f);
  EXPECT_FLOAT_EQ(e->velocity.y, -20.0f);
  EXPECT_FLOAT_EQ(e->position.y, -10.0f);
}

TEST_F(WorldUpdate, DeadEntityIsReplacedByTheLastOneWhichWaitsForTheNextStep) {
  TestEntity* ship = Add(Vector3(0, 0, 0));
  TestEntity* a = Add(Vector3(100, 0, 0));
  TestEntity* b = Add(Vector3(200, 0, 0));
  TestEntity* c = Add(Vector3(300, 0, 0));
  a->alive = false;
  world.Update(0.01f);

  EXPECT_EQ(world.entities, (EntityList{ship, c, b}));
  EXPECT_EQ(b->updates, 1);
  EXPECT_EQ(b->lastIndex, 2u);
  EXPECT_EQ(c->updates, 0);
  world.Update(0.01f);
  EXPECT_EQ(c->lastIndex, 1u);
}

TEST_F(WorldUpdate, DeadFirstEntityIsNeitherDeletedNorStepped) {
  TestEntity* ship = Add();
  ship->alive = false;
  Add(Vector3(100, 0, 0));
  world.Update(0.01f);
  ASSERT_EQ(world.entities.size(), 2u);
  EXPECT_EQ(world.entities[0], ship);
  EXPECT_EQ(ship->updates, 0);
}

TEST_F(WorldUpdate, TouchingSpheresDoNotMeetAndOverlappingOnesDo) {
  // Weightless and pinned in place so the step does not move them.
  TestEntity* e = Add(Vector3(0, 0, 0), 1.0f);
  TestEntity* o = Add(Vector3(3, 0, 0), 2.0f);
  e->solid = o->solid = false;
  e->maxSpeed = o->maxSpeed = 0.0f;
  world.Update(0.01f);
  EXPECT_EQ(e->contacts + o->contacts, 0);

  o->position = Vector3(2.999f, 0, 0);
  world.Update(0.01f);
  EXPECT_EQ(e->lastContact, o);
  EXPECT_EQ(o->lastContact, e);
}

TEST_F(WorldUpdate, EqualMassesExchangeTheirSpeedsAlongTheLineOfCentres) {
  // Overlapping; a step of dt 0 leaves gravity and integration out of it.
  TestEntity* e = Add(Vector3(1.5f, 0, 0));
  TestEntity* o = Add(Vector3(0, 0, 0));
  e->velocity = Vector3(-10.0f, 0, 0);
  world.Update(0.0f);
  EXPECT_NEAR(e->velocity.Length(), 0.0f, 1e-5f);
  EXPECT_NEAR(o->velocity.x, 10.0f, 1e-4f);
  // e moved out until the spheres just touch; o stayed.
  EXPECT_NEAR(e->position.x, 2.0f, 1e-6f);
  EXPECT_NEAR(o->position.x, 0.0f, 1e-6f);
}

TEST_F(WorldUpdate, SolidEntitiesOnTheSameCentreAreLeftAlone) {
  TestEntity* e = Add(Vector3(5, 5, 5));
  TestEntity* o = Add(Vector3(5, 5, 5));
  e->velocity = Vector3(1, 0, 0);
  world.Update(0.0f);
  EXPECT_EQ(e->contacts, 1);
  EXPECT_FALSE(std::isnan(e->position.x) || std::isnan(o->velocity.x));
  EXPECT_FLOAT_EQ(e->velocity.x, 1.0f);
}

TEST_F(WorldUpdate, EntitiesAppendedDuringTheStepAreSteppedButMeetNothing) {
  Spawner* spawner = Add<Spawner>();
  TestEntity* neighbour = Add(Vector3(0.5f, 0, 0));
  neighbour->solid = spawner->solid = false;
  world.Update(0.01f);

  ASSERT_EQ(world.entities.size(), 3u);
  EXPECT_EQ(spawner->spawned->updates, 1);
  EXPECT_EQ(spawner->spawned->contacts, 0);
  EXPECT_EQ(neighbour->lastContact, spawner);  // the two old ones did meet
  world.Update(0.01f);
  EXPECT_GT(spawner->spawned->contacts, 0);
}

TEST(WorldClouds, OffsetPastOneBecomesZeroAndExactlyOneStays) {
  EnsureGlContext();
  World world;
  world.highCloudOffset = 0.99999f;
  world.lowCloudOffset = 1.0f;
  world.DrawClouds(0.01f);
  EXPECT_EQ(world.highCloudOffset, 0.0f);  // 1.000065 is not kept as 0.000065
  EXPECT_EQ(world.lowCloudOffset, 0.0f);   // 1.00015

  world.highCloudOffset = world.lowCloudOffset = 1.0f;
  world.DrawClouds(0.0f);
  EXPECT_EQ(world.highCloudOffset, 1.0f);
  EXPECT_EQ(world.lowCloudOffset, 1.0f);
}

}  // namespace

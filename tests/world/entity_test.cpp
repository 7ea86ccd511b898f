#include <gtest/gtest.h>

#include <cmath>

#include "tests/world/test_entity.h"

namespace {

void ExpectVector(const Vector3& v, const Vector3& expected) {
  EXPECT_NEAR(v.x, expected.x, 1e-5f);
  EXPECT_NEAR(v.y, expected.y, 1e-5f);
  EXPECT_NEAR(v.z, expected.z, 1e-5f);
}

// Integration keeps a speed at the limit, scales a faster one back along its
// own direction, and a limit of 0 stops everything.
TEST(Entity, IntegratedVelocityIsHeldToTheSpeedLimit) {
  struct Case {
    float maxSpeed;
    Vector3 velocity, acceleration, expected;
  };
  const Case cases[] = {{5, {3, 0, 0}, {0, 4, 0}, {3, 4, 0}},
                        {5, {6, 0, 0}, {0, 8, 0}, {3, 4, 0}},
                        {0, {0, 0, 0}, {1, 2, 3}, {0, 0, 0}}};
  for (const Case& c : cases) {
    TestEntity e;
    e.maxSpeed = c.maxSpeed;
    e.velocity = c.velocity;
    e.acceleration = c.acceleration;
    e.IntegrateVelocity(1.0f);
    SCOPED_TRACE(c.velocity.x);
    ExpectVector(e.velocity, c.expected);
  }
}

TEST(Entity, SetVelocityLimitsLongVectorsAndKeepsShortOnes) {
  TestEntity e;
  e.maxSpeed = 10.0f;
  e.SetVelocity(Vector3(0.0f, 0.0f, -30.0f));
  ExpectVector(e.velocity, Vector3(0.0f, 0.0f, -10.0f));
  e.SetVelocity(Vector3(1.0f, 2.0f, 2.0f));
  ExpectVector(e.velocity, Vector3(1.0f, 2.0f, 2.0f));
}

TEST(Entity, SetDirectionBuildsAFrameAroundTheAimAndSwitchesNearVertical) {
  const float s = 0.6f, c = 0.8f;
  const float lowY = 0.994f, lowZ = std::sqrt(1.0f - lowY * lowY);
  const float highY = 0.996f, highZ = std::sqrt(1.0f - highY * highY);
  const struct {
    Vector3 aim, direction, right, up;
  } cases[] = {
      // Straight up: too close to vertical for the world's up axis.
      {{0, 5, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},
      {{1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
      // Tilted: right and up are left unnormalised.
      {{0, s, c}, {0, s, c}, {-c, 0, 0}, {0, c * c, -c * s}},
      // Either side of |d.y| = 0.995.
      {{0, lowY, lowZ}, {0, lowY, lowZ}, {-lowZ, 0, 0}, {0, lowZ * lowZ, -lowZ * lowY}},
      {{0, highY, highZ}, {0, highY, highZ}, {1, 0, 0}, {0, -highZ, highY}},
  };
  for (const auto& k : cases) {
    TestEntity e;
    e.SetDirection(k.aim);
    SCOPED_TRACE(testing::Message() << k.aim.x << "," << k.aim.y << "," << k.aim.z);
    ExpectVector(e.direction, k.direction);
    ExpectVector(e.right, k.right);
    ExpectVector(e.up, k.up);
    ExpectVector(e.forward, Vector3(0, 0, 1));  // the caller sets it
  }
}

TEST(Entity, ModelMatrixHasSideUpForwardColumnsAndThePosition) {
  TestEntity e;
  e.position = Vector3(1.0f, 2.0f, 3.0f);
  float m[16];
  e.BuildModelMatrix(m);
  const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], expected[i]) << i;

  e.forward = Vector3(1.0f, 0.0f, 0.0f);
  e.up = Vector3(0.0f, 2.0f, 0.0f);  // used as stored
  e.BuildModelMatrix(m);
  EXPECT_FLOAT_EQ(m[2], -2.0f);  // column 0 is up x forward = (0, 0, -2)
  EXPECT_FLOAT_EQ(m[5], 2.0f);
  EXPECT_FLOAT_EQ(m[8], 1.0f);
}

}  // namespace

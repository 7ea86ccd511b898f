#include <gtest/gtest.h>

#include <cmath>

#include "tests/world/test_entity.h"

namespace {

void ExpectVector(const Vector3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6f);
  EXPECT_NEAR(v.y, y, 1e-6f);
  EXPECT_NEAR(v.z, z, 1e-6f);
}

TEST(Entity, SpeedExactlyAtTheLimitIsKept) {
  TestEntity e;
  e.maxSpeed = 5.0f;
  e.velocity = Vector3(3.0f, 0.0f, 0.0f);
  e.acceleration = Vector3(0.0f, 4.0f, 0.0f);
  e.IntegrateVelocity(1.0f);  // (3, 4, 0): length 5 exactly
  ExpectVector(e.velocity, 3.0f, 4.0f, 0.0f);
}

TEST(Entity, SpeedPastTheLimitIsScaledDownAlongTheSameDirection) {
  TestEntity e;
  e.maxSpeed = 5.0f;
  e.velocity = Vector3(6.0f, 0.0f, 0.0f);
  e.acceleration = Vector3(0.0f, 8.0f, 0.0f);
  e.IntegrateVelocity(1.0f);  // (6, 8, 0): length 10
  ExpectVector(e.velocity, 3.0f, 4.0f, 0.0f);
}

TEST(Entity, ZeroSpeedLimitStopsAnyMotion) {
  TestEntity e;
  e.maxSpeed = 0.0f;
  e.acceleration = Vector3(1.0f, 2.0f, 3.0f);
  e.IntegrateVelocity(0.02f);
  EXPECT_FLOAT_EQ(e.velocity.Length(), 0.0f);
}

TEST(Entity, IntegrationUsesForceOverMass) {
  TestEntity e(1.0f, 0.5f);
  e.force = Vector3(0.0f, -20.0f, 1.0f);
  e.ComputeAcceleration(0.0f);
  ExpectVector(e.acceleration, 0.0f, -40.0f, 2.0f);
  e.IntegrateVelocity(0.5f);
  e.IntegratePosition(0.5f);
  ExpectVector(e.velocity, 0.0f, -20.0f, 1.0f);
  ExpectVector(e.position, 0.0f, -10.0f, 0.5f);
}

TEST(Entity, SetVelocityLimitsLongVectorsAndKeepsShortOnes) {
  TestEntity e;
  e.maxSpeed = 10.0f;
  e.SetVelocity(Vector3(0.0f, 0.0f, -30.0f));
  ExpectVector(e.velocity, 0.0f, 0.0f, -10.0f);
  e.SetVelocity(Vector3(1.0f, 2.0f, 2.0f));
  ExpectVector(e.velocity, 1.0f, 2.0f, 2.0f);
}

struct FrameCase {
  Vector3 aim;
  Vector3 direction;
  Vector3 right;
  Vector3 up;
};

TEST(Entity, SetDirectionBuildsAFrameAroundTheAim) {
  const float s = 0.6f, c = 0.8f;
  const FrameCase cases[] = {
      // Straight up: too close to vertical for the world's up axis.
      {{0, 5, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},
      {{1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
      {{0, 0, -2}, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
      // Tilted: right and up are left unnormalised.
      {{0, s, c}, {0, s, c}, {-c, 0, 0}, {0, c * c, -c * s}},
  };
  for (const FrameCase& k : cases) {
    TestEntity e;
    e.SetDirection(k.aim);
    SCOPED_TRACE(testing::Message() << k.aim.x << "," << k.aim.y << "," << k.aim.z);
    ExpectVector(e.direction, k.direction.x, k.direction.y, k.direction.z);
    ExpectVector(e.right, k.right.x, k.right.y, k.right.z);
    ExpectVector(e.up, k.up.x, k.up.y, k.up.z);
    ExpectVector(e.forward, 0, 0, 1);  // the caller sets it
  }
}

TEST(Entity, SetDirectionSwitchesFramesAtTheVerticalThreshold) {
  // |d.y| just below 0.995 still crosses with the world's up axis.
  float y = 0.994f;
  float z = std::sqrt(1.0f - y * y);
  TestEntity below;
  below.SetDirection(Vector3(0.0f, y, z));
  EXPECT_NEAR(below.right.x, -z, 1e-5f);
  EXPECT_FLOAT_EQ(below.right.y, 0.0f);

  y = 0.996f;
  z = std::sqrt(1.0f - y * y);
  TestEntity above;
  above.SetDirection(Vector3(0.0f, y, z));
  // up = (1, 0, 0) x d = (0, -d.z, d.y)
  EXPECT_FLOAT_EQ(above.up.x, 0.0f);
  EXPECT_NEAR(above.up.y, -z, 1e-5f);
  EXPECT_NEAR(above.up.z, y, 1e-5f);
}

TEST(Entity, ModelMatrixOfTheDefaultFrameIsATranslation) {
  TestEntity e;
  e.position = Vector3(1.0f, 2.0f, 3.0f);
  float m[16];
  e.BuildModelMatrix(m);
  const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], expected[i]) << i;
}

TEST(Entity, ModelMatrixPutsTheModelZAxisAlongForward) {
  TestEntity e;
  e.forward = Vector3(1.0f, 0.0f, 0.0f);
  e.up = Vector3(0.0f, 2.0f, 0.0f);  // used as stored
  float m[16];
  e.BuildModelMatrix(m);
  // Column 0 is up x forward = (0, 0, -2).
  EXPECT_FLOAT_EQ(m[0], 0.0f);
  EXPECT_FLOAT_EQ(m[2], -2.0f);
  EXPECT_FLOAT_EQ(m[5], 2.0f);
  EXPECT_FLOAT_EQ(m[8], 1.0f);
}

}  // namespace

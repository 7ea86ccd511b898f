#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "world/explosion.h"
#include "world/rocket.h"
#include "world/world.h"

namespace {

// Counts the particles an effect is asked to spawn.
class CountingEffect : public Effect {
 public:
  CountingEffect() : Effect(3) {}
  void Update(uint32_t, EntityList&, float) override {}
  void Draw() override {}
  void SpawnParticle(uint32_t index) override { spawned.push_back(index); }
  void EffectReserved(uint32_t) override {}
  std::vector<uint32_t> spawned;
};

// Draws from a fixed script of values, round and round.
std::vector<uint32_t> gScript;
size_t gScriptAt = 0;
uint32_t ScriptedRandom() { return gScript[gScriptAt++ % gScript.size()]; }

class ScriptedRandomness {
 public:
  explicit ScriptedRandomness(std::vector<uint32_t> values) {
    gScript = std::move(values);
    gScriptAt = 0;
    SetParticleRandomSource(&ScriptedRandom);
  }
  ~ScriptedRandomness() { SetParticleRandomSource(nullptr); }
};

TEST(Effect, StartsWithAllParticlesBlackAndOpaque) {
  CountingEffect effect;
  EXPECT_EQ(effect.particleCount, 64u);
  for (const Particle& p : effect.particles) {
    EXPECT_EQ(p.color[0], 0.0f);
    EXPECT_EQ(p.color[3], 1.0f);
  }
}

TEST(Effect, SpawnParticlesIsCappedAtTheStorage) {
  struct Case {
    uint32_t asked;
    uint32_t spawned;
  };
  for (Case c : {Case{100, 64}, Case{64, 64}, Case{5, 5}, Case{0, 0}}) {
    CountingEffect effect;
    effect.SpawnParticles(c.asked);
    EXPECT_EQ(effect.particleCount, c.spawned) << c.asked;
    ASSERT_EQ(effect.spawned.size(), c.spawned) << c.asked;
    for (uint32_t i = 0; i < c.spawned; ++i) EXPECT_EQ(effect.spawned[i], i);
  }
}

TEST(Explosion, ConstructorSpawnsThirtyParticlesAndSetsItsTimes) {
  FakeClock clock(5000);
  Explosion explosion(1000, Vector3(10, 20, 30));
  EXPECT_EQ(explosion.kind, kKindExplosion);
  EXPECT_EQ(explosion.particleCount, 30u);
  EXPECT_EQ(explosion.lastUpdateTicks, 5000u);
  EXPECT_EQ(explosion.endTicks, 6000u);
  EXPECT_FLOAT_EQ(explosion.radius, 2.0f);
  EXPECT_FLOAT_EQ(explosion.mass, 0.01f);
  EXPECT_FALSE(explosion.solid);
  EXPECT_FLOAT_EQ(explosion.maxSpeed, 0.0f);
  for (uint32_t i = 0; i < 30; ++i) {
    const Particle& p = explosion.particles[i];
    Vector3 offset = p.position - explosion.position;
    EXPECT_LE(std::fabs(offset.x), 3.0f);
    EXPECT_LE(std::fabs(offset.y), 3.0f);
    EXPECT_LE(std::fabs(offset.z), 3.0f);
    EXPECT_GE(p.velocity.y, 1.0f);
    EXPECT_LE(p.velocity.y, 3.0f);
    EXPECT_NEAR(p.color[0], 0.6f + offset.LengthSquared() / 27.0f, 1e-5f);
  }
  // The particles are scattered, not piled on one spot.
  EXPECT_NE(explosion.particles[0].position.x, explosion.particles[1].position.x);
}

TEST(Explosion, ParticleAtTheCentreIsDimRed) {
  FakeClock clock;
  ScriptedRandomness random({7});
  Explosion explosion(1000, Vector3(1, 2, 3));
  // Equal pairs for the position (u = 0), then u = 1, -1 and 0.
  gScript = {9, 9, 9, 9, 9, 9, 32767, 0, 0, 32767, 5, 5};
  gScriptAt = 0;
  explosion.SpawnParticle(0);
  const Particle& p = explosion.particles[0];
  EXPECT_FLOAT_EQ(p.position.x, 1.0f);
  EXPECT_FLOAT_EQ(p.position.y, 2.0f);
  EXPECT_FLOAT_EQ(p.position.z, 3.0f);
  EXPECT_FLOAT_EQ(p.color[0], 0.6f);
  EXPECT_FLOAT_EQ(p.color[1], 0.3f);
  EXPECT_FLOAT_EQ(p.color[2], 0.01f);
  EXPECT_FLOAT_EQ(p.color[3], 1.0f);
  // Velocity (u, u + 2, u) with u = 1, -1, 0.
  EXPECT_FLOAT_EQ(p.velocity.x, 1.0f);
  EXPECT_FLOAT_EQ(p.velocity.y, 1.0f);
  EXPECT_FLOAT_EQ(p.velocity.z, 0.0f);
  EXPECT_EQ(gScriptAt, 12u);  // twelve draws per particle
}

TEST(Explosion, ParticleInACornerIsBrightest) {
  FakeClock clock;
  ScriptedRandomness random({32767, 0});  // u = 1 every time
  Explosion explosion(1000, Vector3(0, 0, 0));
  const Particle& p = explosion.particles[0];
  EXPECT_FLOAT_EQ(p.position.x, 3.0f);
  EXPECT_FLOAT_EQ(p.position.z, 3.0f);
  EXPECT_FLOAT_EQ(p.velocity.y, 3.0f);
  EXPECT_NEAR(p.color[0], 1.6f, 1e-6f);  // GL clamps it when drawing
}

TEST(Explosion, DiesWhenTheClockReachesTheEndAndStillMovesItsParticles) {
  FakeClock clock(1000);
  Explosion explosion(1000, Vector3(0, 0, 0));
  Vector3 start = explosion.particles[0].position;
  Vector3 velocity = explosion.particles[0].velocity;
  EntityList none;

  clock.Set(1999);
  explosion.Update(0, none, 0.5f);
  EXPECT_TRUE(explosion.alive);
  EXPECT_EQ(explosion.lastUpdateTicks, 1999u);

  clock.Set(2000);
  explosion.Update(0, none, 0.5f);
  EXPECT_FALSE(explosion.alive);
  EXPECT_EQ(explosion.lastUpdateTicks, 2000u);
  Vector3 moved = start + velocity * 0.5f + velocity * 0.5f;
  EXPECT_NEAR(explosion.particles[0].position.x, moved.x, 1e-5f);
  EXPECT_NEAR(explosion.particles[0].position.y, moved.y, 1e-5f);
}

TEST(Explosion, WorldStepsItWithoutGravityOrContacts) {
  FakeClock clock(1000);
  World world;
  Explosion* explosion = new Explosion(1000, Vector3(0, 0, 0));
  Rocket* rocket = new Rocket(Vector3(0, 0, 0), nullptr);
  rocket->position = Vector3(0.5f, 0, 0);
  world.entities = {explosion, rocket};
  gEntityList = &world.entities;
  world.Update(0.02f);
  EXPECT_TRUE(rocket->alive);
  EXPECT_FLOAT_EQ(explosion->position.y, 0.0f);
  EXPECT_FLOAT_EQ(explosion->velocity.y, 0.0f);
  EXPECT_EQ(world.entities.size(), 2u);
}

TEST(Explosion, WorldDeletesItInTheStepAfterItExpired) {
  FakeClock clock(1000);
  World world;
  gEntityList = &world.entities;
  world.entities.push_back(new Rocket(Vector3(0, 0, 0), nullptr));  // stands in for the ship
  world.entities.push_back(new Explosion(1000, Vector3(100, 0, 0)));
  clock.Set(2000);
  world.Update(0.01f);
  EXPECT_EQ(world.entities.size(), 2u);
  world.Update(0.01f);
  EXPECT_EQ(world.entities.size(), 1u);
}

// Billboards drawn in front of the eye light up the middle of the frame.
TEST(ExplosionDrawing, ParticlesAddTheirLightFacingTheCamera) {
  EnsureGlContext();
  FakeClock clock;
  ScriptedRandomness random({100});  // every particle at the centre, u = 0
  Explosion explosion(1000, Vector3(20, 0, 0));

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-1, 1, -0.75, 0.75, 1, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Looking along +x: squares lying in the world's xy plane would be seen
  // edge-on; billboards face the eye whatever the view.
  glRotatef(90.0f, 0, 1, 0);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  explosion.Draw();

  auto centre = ReadPixel(512, 384);
  EXPECT_EQ(centre[0], 255);  // 30 dim red particles saturate
  EXPECT_GT(centre[1], 200);
  auto corner = ReadPixel(5, 5);
  EXPECT_EQ(corner[0], 0);
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

}  // namespace

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "world/explosion.h"

namespace {

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

// Each particle takes twelve draws, so the draws count the particles spawned.
TEST(Effect, SpawnParticlesIsCappedAtTheStorage) {
  FakeClock clock;
  for (uint32_t asked : {100u, 5u, 0u}) {
    const uint32_t expected = asked > 64 ? 64 : asked;
    ScriptedRandomness random({1, 2, 3});
    Explosion explosion(1000, Vector3(0, 0, 0));
    gScriptAt = 0;
    explosion.SpawnParticles(asked);
    EXPECT_EQ(explosion.particleCount, expected) << asked;
    EXPECT_EQ(gScriptAt, 12u * expected) << asked;
  }
}

// Its life across the tick wrap is checked in tick_wrap_test.
TEST(Explosion, StillMovesItsParticlesOnItsLastStep) {
  FakeClock clock(1000);
  Explosion explosion(1000, Vector3(0, 0, 0));
  EXPECT_EQ(explosion.particleCount, 30u);
  const Vector3 moved = explosion.particles[0].position + explosion.particles[0].velocity * 0.5f;
  EntityList none;
  clock.Set(2000);
  explosion.Update(0, none, 0.5f);
  EXPECT_FALSE(explosion.alive);
  EXPECT_NEAR(explosion.particles[0].position.x, moved.x, 1e-5f);
  EXPECT_NEAR(explosion.particles[0].position.y, moved.y, 1e-5f);
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
  EXPECT_EQ(ReadPixel(5, 5)[0], 0);
  // Blending and depth writes are put back for what is drawn next.
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

}  // namespace

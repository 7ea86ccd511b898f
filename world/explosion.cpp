#include "world/explosion.h"

#include <GL/gl.h>

#include "assets/static_assets.h"
#include "platform/clock.h"

namespace {

// The classic portable rand(): 15-bit results, never seeded, so every run
// scatters its particles the same way.
uint32_t gRandomState = 1;

uint32_t DefaultRandom() {
  gRandomState = gRandomState * 1103515245u + 12345u;
  return (gRandomState / 65536u) % 32768u;
}

ParticleRandomSource gRandom = &DefaultRandom;

// A value in [-1, 1] from two fresh draws, taken in this order.
float SignedUnit() {
  int first = static_cast<int>(gRandom());
  int second = static_cast<int>(gRandom());
  return static_cast<float>(first - second) * (1.0f / 32767.0f);
}

}  // namespace

void SetParticleRandomSource(ParticleRandomSource source) {
  gRandom = source ? source : &DefaultRandom;
}

uint32_t ParticleRandomState() { return gRandomState; }
void SetParticleRandomState(uint32_t state) { gRandomState = state; }

Effect::Effect(int32_t kind_) : Entity(kind_) {
  for (Particle& p : particles) {
    p = Particle{{0.0f, 0.0f, 0.0f, 1.0f}, {0, 0, 0}, {0, 0, 0}};
  }
}

void Effect::SpawnParticles(uint32_t count) {
  uint32_t n = count < kMaxParticles ? count : kMaxParticles;
  particleCount = n;
  for (uint32_t i = 0; i < n; ++i) SpawnParticle(i);
}

Explosion::Explosion(uint32_t durationMs, const Vector3& at) : Effect(kKindExplosion) {
  position = at;
  particleCount = kParticles;
  for (uint32_t i = 0; i < kParticles; ++i) SpawnParticle(i);
  uint32_t now = platform::Ticks();
  lastUpdateTicks = now;
  endTicks = now + durationMs;
  radius = 2.0f;
  mass = 0.01f;
  solid = false;
}

void Explosion::SpawnParticle(uint32_t index) {
  Particle& p = particles[index];
  const Vector3& centre = position;
  float ox = 3.0f * SignedUnit();
  float oy = 3.0f * SignedUnit();
  float oz = 3.0f * SignedUnit();
  p.position = Vector3(centre.x + ox, centre.y + oy, centre.z + oz);
  float vx = SignedUnit();
  float vy = SignedUnit() + 2.0f;
  float vz = SignedUnit();
  p.velocity = Vector3(vx, vy, vz);
  // Particles far from the centre glow brighter (GL clamps red above 1).
  float spread = (p.position - centre).LengthSquared();
  p.color[0] = spread * (1.0f / 27.0f) + 0.1f + 0.5f;
  p.color[1] = 0.3f;
  p.color[2] = 0.01f;
  p.color[3] = 1.0f;
}

void Explosion::EffectReserved(uint32_t) {}

void Explosion::ComputeAcceleration(float) {}
void Explosion::IntegratePosition(float) {}
void Explosion::IntegrateVelocity(float) {}

void Explosion::Update(uint32_t, EntityList&, float dt) {
  uint32_t now = platform::Ticks();
  lastUpdateTicks = now;
  for (uint32_t i = 0; i < particleCount; ++i) {
    particles[i].position += particles[i].velocity * dt;
  }
  // A signed difference, so a life that spans the counter's wrap runs out on time.
  if (static_cast<int32_t>(now - endTicks) >= 0) alive = false;
}

void Explosion::Draw() {
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  // The view's right and up axes in world space: the squares face the eye.
  Vector3 r(m[0], m[4], m[8]);
  Vector3 u(m[1], m[5], m[9]);
  Vector3 corners[4] = {-r * 2.0f - u * 2.0f, r * 2.0f - u * 2.0f, r * 2.0f + u * 2.0f,
                        -r * 2.0f + u * 2.0f};
  const GLfloat texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  // Destination alpha is 1 without an alpha channel: the particles add light.
  glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
  glDisable(GL_LIGHTING);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  gExplosionMaterial.Apply(GL_FRONT);
  for (uint32_t i = 0; i < particleCount; ++i) {
    const Particle& p = particles[i];
    glPushMatrix();
    glTranslatef(p.position.x, p.position.y, p.position.z);
    glBegin(GL_QUADS);
    glColor4fv(p.color);
    for (int c = 0; c < 4; ++c) {
      glTexCoord2fv(texCoords[c]);
      glVertex3f(corners[c].x, corners[c].y, corners[c].z);
    }
    glEnd();
    glPopMatrix();
  }
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
  glEnable(GL_LIGHTING);
  glColor3f(1.0f, 1.0f, 1.0f);
}

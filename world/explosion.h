#pragma once
#include <cstdint>

#include "world/entity.h"

struct Particle {
  float color[4];
  Vector3 position;
  Vector3 velocity;
};

// An entity that carries its own particles, up to 64 of them.
class Effect : public Entity {
 public:
  static constexpr uint32_t kMaxParticles = 64;

  explicit Effect(int32_t kind_);

  // Spawns min(count, 64) particles and keeps that many.
  virtual void SpawnParticles(uint32_t count);
  virtual void SpawnParticle(uint32_t index) = 0;
  virtual void EffectReserved(uint32_t value) = 0;

  uint32_t particleCount = kMaxParticles;
  Particle particles[kMaxParticles];
};

// The burst a rocket leaves: 30 glowing billboards drifting apart and
// upward until the clock reaches the end time.
class Explosion : public Effect {
 public:
  static constexpr uint32_t kParticles = 30;

  Explosion(uint32_t durationMs, const Vector3& at);

  void Update(uint32_t index, EntityList& entities, float dt) override;
  void Draw() override;
  // Explosions stay where they were made: gravity and integration pass them by.
  void ComputeAcceleration(float dt) override;
  void IntegratePosition(float dt) override;
  void IntegrateVelocity(float dt) override;
  void SpawnParticle(uint32_t index) override;
  void EffectReserved(uint32_t value) override;

  uint32_t lastUpdateTicks = 0;
  uint32_t endTicks = 0;
};

// Uniform integers in 0..32767 for the particles. The default is a small
// generator of the game's own, deterministic per run; tests may swap in
// their own sequence. Passing nullptr restores the default.
using ParticleRandomSource = uint32_t (*)();
void SetParticleRandomSource(ParticleRandomSource source);

// The default generator's state: a demo keeps it, so that a replay scatters
// the particles as the recording did, whatever ran before it in the process.
uint32_t ParticleRandomState();
void SetParticleRandomState(uint32_t state);

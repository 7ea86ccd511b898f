#pragma once
#include <cstdint>

#include "world/entity.h"

// The ship's projectile: thrusts along its aim without gravity and explodes
// on the level, on any entity but its launcher and explosions, or when it
// has flown out of range.
class Rocket : public Entity {
 public:
  static constexpr float kThrust = 50.0f;
  static constexpr float kRange = 10000.0f;
  static constexpr uint32_t kExplosionMs = 1000;

  Rocket(const Vector3& start, const Entity* owner_);

  void Update(uint32_t index, EntityList& entities, float dt) override;
  void OnEntityContact(Entity& other, float dt) override;
  void OnLevelContact(const Vector3 corners[3], const Material* material) override;
  void Draw() override;

  // Every call leaves one more explosion and plays the sound again, also in
  // a step where the rocket has already exploded; only the first hurts what
  // it reaches. `struck` is what it met, if it met an entity.
  void Explode(Entity* struck = nullptr);

  Vector3 launchPosition;
  const Entity* owner;  // only compared, never used
  int32_t shooter = -1;  // the player who fired it; -1 for a drone
  bool burst = false;    // it has dealt its damage
};

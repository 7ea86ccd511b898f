#pragma once
#include <cstdint>

#include "world/entity.h"

// The craft the player drives; the view is from inside it.
class PlayerShip : public Entity {
 public:
  PlayerShip();

  void Update(uint32_t index, EntityList& entities, float dt) override;
  void Draw() override;

  void FireRocket();
  void FireAimed();

  uint32_t lastShotTicks = 0;
  int32_t fireMode = 1;
};

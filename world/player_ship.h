#pragma once
#include <cstdint>

#include "world/entity.h"
#include "world/ship_command.h"

// The craft a player drives; the view is from inside it. It flies by its
// command alone: the game sets `command` before each step and reads back
// where the pilot's view is (`eye`) and how it banks (`bank`).
class PlayerShip : public Entity {
 public:
  PlayerShip();

  void Update(uint32_t index, EntityList& entities, float dt) override;
  void Draw() override;

  void FireRocket();
  void FireAimed();

  uint32_t lastShotTicks = 0;
  int32_t fireMode = 1;
  int32_t player = 0;  // whose ship: the number scores and events name
  ShipCommand command;
  float bank = 0.0f;  // the view's roll, degrees, kept within [-10, 10]
  Vector3 eye{0, 0, 0};  // the view's place: the ship's position before this step moved it

 private:
  void Bank(float degrees);
};

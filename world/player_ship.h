#pragma once
#include <cstdint>

#include "world/entity.h"
#include "world/ship_command.h"

// The craft a player drives; the view is from inside it. It flies by its
// command alone: the game sets `command` before each step and reads back
// where the pilot's view is (`eye`) and how it banks (`bank`).
//
// Rockets wear its hull down; at 0 it is wrecked, and some seconds later it
// starts again at `home`, shielded from harm for a while.
class PlayerShip : public Entity {
 public:
  static constexpr float kFullHull = 100.0f;
  static constexpr float kWreckSeconds = 3.0f;
  static constexpr float kShieldSeconds = 2.0f;
  static constexpr int kColours = 8;

  // The player whose view the picture is from: that ship is not drawn.
  static int32_t viewer;

  PlayerShip();

  void Update(uint32_t index, EntityList& entities, float dt) override;
  void Draw() override;
  void TakeDamage(float amount, int32_t shooter) override;

  bool Wrecked() const { return !tangible; }
  bool Shielded() const { return shieldLeft > 0.0f; }
  // Back at `home`, whole and shielded.
  void StartAgain();

  void FireRocket();
  void FireAimed();

  uint32_t lastShotTicks = 0;
  int32_t fireMode = 1;
  int32_t player = 0;  // whose ship: the number scores and events name
  uint8_t colour = 0;  // its paint, one of kColours
  bool armed = true;   // fires when told: a client's prediction of its ship does not
  ShipCommand command;
  float bank = 0.0f;  // the view's roll, degrees, kept within [-10, 10]
  Vector3 eye{0, 0, 0};  // the view's place: the ship's position before this step moved it
  Vector3 home{0, 0, 0};  // where it starts, and starts again
  float hull = kFullHull;
  float wreckTime = 0.0f;   // seconds since it was wrecked
  float shieldLeft = 0.0f;  // seconds it cannot be hurt

 private:
  void Bank(float degrees);
};

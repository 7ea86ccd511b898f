#include "world/player_ship.h"

PlayerShip::PlayerShip() : Entity(kKindPlayerShip) {
  radius = 3.0f;
  mass = 1.0f;
  maxSpeed = 140.0f;
}

void PlayerShip::Update(uint32_t, EntityList&, float) {}
void PlayerShip::Draw() {}
void PlayerShip::FireRocket() {}
void PlayerShip::FireAimed() {}

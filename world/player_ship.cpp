#include "world/player_ship.h"

#include <SDL.h>

#include <cfloat>

#include "app/camera.h"
#include "app/input.h"
#include "assets/static_assets.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "world/rocket.h"
#include "world/world.h"

namespace {

constexpr float kThrust = 80.0f;
constexpr float kRollRate = 50.0f;  // degrees per second while strafing
constexpr float kRollRest = 0.5f;
constexpr uint32_t kFireIntervalMs = 400;
constexpr float kAimRange = 10000.0f;

bool Held(const uint8_t* keys, SDLKey a, SDLKey b) { return keys[a] != 0 || keys[b] != 0; }

}  // namespace

PlayerShip::PlayerShip() : Entity(kKindPlayerShip) {
  radius = 3.0f;
  mass = 1.0f;
  maxSpeed = 140.0f;
}

void PlayerShip::Update(uint32_t, EntityList&, float dt) {
  if (lifetime <= 0.0f) alive = false;

  // The camera's direction has its z axis mirrored against the world's.
  const Vector3 c = gCamera->direction;
  direction = Vector3(c.x, c.y, -c.z);
  Vector3 flat(c.x, 0.0f, -c.z);
  right = Vector3(c.z, 0.0f, c.x);  // as long as the flattened aim
  // Looking straight up or down leaves no heading; keep the last one rather
  // than fill the ship with NaNs.
  if (flat.LengthSquared() > 0.0f) forward = Normalized(flat);

  if (gInput.buttons & 1u) {
    if (fireMode == 0) {
      FireAimed();
    } else if (fireMode == 1) {
      FireRocket();
    }
  }

  gKeys = platform::KeyState();
  // The controls only bite while the ship touches the level.
  if (collided) {
    if (Held(gKeys, SDLK_UP, SDLK_w)) AddForce(forward * kThrust);
    if (Held(gKeys, SDLK_DOWN, SDLK_s)) AddForce(forward * -kThrust);
    if (Held(gKeys, SDLK_LEFT, SDLK_a)) {
      AddForce(right * -kThrust);
      gCamera->AddRoll(-kRollRate * dt);
    } else if (Held(gKeys, SDLK_RIGHT, SDLK_d)) {
      AddForce(right * kThrust);
      gCamera->AddRoll(kRollRate * dt);
    } else {
      // Ease the bank back to level.
      if (gCamera->roll < kRollRest) gCamera->AddRoll(kRollRate * dt);
      if (gCamera->roll > kRollRest) gCamera->AddRoll(-kRollRate * dt);
    }
    if (velocity.LengthSquared() > 0.0f) AddForce(-Normalized(velocity) * (2.0f * mass));
  }

  gCamera->position = position;
}

void PlayerShip::Draw() {}

void PlayerShip::FireRocket() {
  if (gEntityList == nullptr) return;  // no world to fly in
  uint32_t launchTicks = platform::Ticks();
  uint32_t now = platform::Ticks();
  if (now - lastShotTicks < kFireIntervalMs) return;  // wrap-safe difference
  lastShotTicks = launchTicks;

  Rocket* rocket = new Rocket(position, this);
  rocket->position = position;
  rocket->forward = -direction;  // the model's nose is its -z
  rocket->SetDirection(direction);
  rocket->SetVelocity(velocity);
  rocket->acceleration = acceleration;
  gEntityList->push_back(rocket);
  platform::PlayChunk(Rocket::kSoundChannel, gRocketSound);
}

void PlayerShip::FireAimed() {
  Ray ray{position, direction};
  float hitDistance = FLT_MAX;
  if (gWorld && gWorld->octree.RayCast(&ray, kAimRange, &hitDistance)) FireRocket();
}

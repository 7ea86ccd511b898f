#include "world/player_ship.h"

#include <GL/gl.h>

#include <cfloat>
#include <cmath>

#include "assets/static_assets.h"
#include "platform/clock.h"
#include "world/explosion.h"
#include "math/quaternion.h"
#include "world/rocket.h"
#include "math/scalar_math.h"
#include "world/world.h"
#include "world/world_events.h"

namespace {

constexpr float kThrust = 80.0f;
constexpr float kRollRate = 50.0f;  // degrees per second while strafing
constexpr float kRollRest = 0.5f;
constexpr float kMaxBank = 10.0f;
constexpr uint32_t kFireIntervalMs = 400;
constexpr float kAimRange = 10000.0f;

}  // namespace

PlayerShip::PlayerShip() : Entity(kKindPlayerShip) {
  radius = 3.0f;
  mass = 1.0f;
  maxSpeed = 140.0f;
}

void PlayerShip::Bank(float degrees) {
  bank += degrees;
  if (bank > kMaxBank) bank = kMaxBank;
  if (bank < -kMaxBank) bank = -kMaxBank;
}

void PlayerShip::Update(uint32_t, EntityList&, float dt) {
  if (lifetime <= 0.0f) alive = false;
  if (Wrecked()) {
    // The wreck lies still where it fell until its time is up.
    force = Vector3(0.0f, 0.0f, 0.0f);
    velocity = Vector3(0.0f, 0.0f, 0.0f);
    wreckTime += dt;
    if (wreckTime >= kWreckSeconds) StartAgain();
    eye = position;
    return;
  }
  if (shieldLeft > 0.0f) shieldLeft -= dt;

  // The view's direction has its z axis mirrored against the world's.
  const Vector3 c = ViewDirection(command.pitch, command.yaw);
  direction = Vector3(c.x, c.y, -c.z);
  Vector3 flat(c.x, 0.0f, -c.z);
  right = Vector3(c.z, 0.0f, c.x);  // as long as the flattened aim
  // Looking straight up or down leaves no heading; keep the last one rather
  // than fill the ship with NaNs.
  if (flat.LengthSquared() > 0.0f) forward = Normalized(flat);

  if (command.Holds(kControlFire)) {
    if (fireMode == 0) {
      FireAimed();
    } else if (fireMode == 1) {
      FireRocket();
    }
  }

  // The controls only bite while the ship touches the level.
  if (collided) {
    if (command.Holds(kControlThrust)) AddForce(forward * kThrust);
    if (command.Holds(kControlBack)) AddForce(forward * -kThrust);
    if (command.Holds(kControlStrafeLeft)) {
      AddForce(right * -kThrust);
      Bank(-kRollRate * dt);
    } else if (command.Holds(kControlStrafeRight)) {
      AddForce(right * kThrust);
      Bank(kRollRate * dt);
    } else {
      // Ease the bank back to level.
      if (bank < kRollRest) Bank(kRollRate * dt);
      if (bank > kRollRest) Bank(-kRollRate * dt);
    }
    if (velocity.LengthSquared() > 0.0f) AddForce(-Normalized(velocity) * (2.0f * mass));
  }

  eye = position;
}

int32_t PlayerShip::viewer = 0;

namespace {

// The paints a player may choose: plain first, then seven tints.
constexpr float kPaints[PlayerShip::kColours][3] = {
    {1.0f, 1.0f, 1.0f}, {1.0f, 0.45f, 0.4f}, {0.45f, 0.65f, 1.0f}, {0.5f, 1.0f, 0.5f},
    {1.0f, 0.9f, 0.35f}, {1.0f, 0.5f, 1.0f}, {0.4f, 1.0f, 1.0f},  {1.0f, 0.65f, 0.3f},
};

}  // namespace

// Another player's ship, seen from outside: the model flat along its
// heading, banked, in its paint; a shielded one blinks.
void PlayerShip::Draw() {
  if (player == viewer || Wrecked()) return;
  if (Shielded() && static_cast<int>(shieldLeft * 8.0f) % 2 == 1) return;
  const float b = bank * (kPi / 180.0f);
  const Vector3 nose = forward;
  const Vector3 side(-nose.z, 0.0f, nose.x);
  const Vector3 top = Vector3(0.0f, std::cos(b), 0.0f) + side * std::sin(b);
  const Vector3 back = -nose;  // the model's nose is its -z
  const Vector3 across = CrossProduct(top, back);
  const float m[16] = {across.x, across.y, across.z, 0.0f, top.x, top.y, top.z, 0.0f,
                       back.x,   back.y,   back.z,   0.0f, position.x, position.y, position.z, 1.0f};
  const float* paint = kPaints[colour % kColours];
  glPushMatrix();
  glMultMatrixf(m);
  glColor3f(paint[0], paint[1], paint[2]);
  gShipModel.Draw();
  glColor3f(1.0f, 1.0f, 1.0f);
  glPopMatrix();
}

void PlayerShip::TakeDamage(float amount, int32_t shooter) {
  if (Wrecked() || Shielded()) return;
  hull -= amount;
  if (hull > 0.0f) return;
  hull = 0.0f;
  tangible = false;
  wreckTime = 0.0f;
  PostEvent({WorldEventKind::kShipDestroyed, position, shooter, player});
  if (gEntityList) gEntityList->push_back(new Explosion(Rocket::kExplosionMs, position));
}

void PlayerShip::StartAgain() {
  position = home;
  velocity = Vector3(0.0f, 0.0f, 0.0f);
  acceleration = Vector3(0.0f, 0.0f, 0.0f);
  hull = kFullHull;
  tangible = true;
  wreckTime = 0.0f;
  shieldLeft = kShieldSeconds;
  bank = 0.0f;
  PostEvent({WorldEventKind::kShipRespawned, position, -1, player});
}

void PlayerShip::FireRocket() {
  if (gEntityList == nullptr || !armed) return;  // no world to fly in, or only a prediction
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
  rocket->shooter = player;
  gEntityList->push_back(rocket);
  PostEvent({WorldEventKind::kRocketLaunched, position, player, -1});
}

void PlayerShip::FireAimed() {
  Ray ray{position, direction};
  float hitDistance = FLT_MAX;
  if (gWorld && gWorld->octree.RayCast(&ray, kAimRange, &hitDistance)) FireRocket();
}

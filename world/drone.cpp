#include "world/drone.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "assets/static_assets.h"
#include "level/path_graph.h"
#include "world/explosion.h"
#include "world/player_ship.h"
#include "world/rocket.h"
#include "math/scalar_math.h"
#include "world/world.h"
#include "world/world_events.h"

namespace {

constexpr float kDegrees = 180.0f / kPi;
// It looks for the ground ahead of where it flies, from above, so it rises
// over a block or a hill before it meets it.
constexpr float kProbeAhead = 0.7f;    // seconds of its flight
constexpr float kProbeRise = 40.0f;    // how far above itself the look starts
constexpr float kGroundProbe = 200.0f;
constexpr float kHoverStiffness = 6.0f;  // per second squared, per unit off height
constexpr float kHoverDamping = 4.0f;
constexpr float kMaxClimb = 60.0f;       // units per second squared
constexpr float kSteering = 3.0f;        // per second: how fast it takes the velocity it wants
constexpr float kMaxSteer = 60.0f;       // units per second squared
constexpr float kTurnRate = 120.0f;      // degrees per second
constexpr float kBankPerTurn = 0.25f;    // degrees of bank per degree a second of turn
constexpr float kMaxBank = 30.0f;
constexpr float kArrival = 14.0f;        // this near a node, it picks the next
constexpr float kStandOff = 130.0f;      // the distance it keeps from its quarry
constexpr float kCircling = 15.0f;       // units per second round its quarry
constexpr float kFacingToFire = 15.0f;   // degrees off its quarry it may still fire at
constexpr float kSeparation = 16.0f;     // drones keep this far apart, centre to centre
constexpr float kSeparationPush = 4.0f;  // units per second of push per unit too near
constexpr float kStuckSpeed = 8.0f;      // slower than this on patrol is no headway
constexpr float kStuckSeconds = 1.0f;

Vector3 Flat(const Vector3& v) { return Vector3(v.x, 0.0f, v.z); }

float Clamp(float v, float lo, float hi) { return std::min(hi, std::max(lo, v)); }

// The heading in degrees that faces along `v` across the ground.
float HeadingOf(const Vector3& v) { return std::atan2(v.x, v.z) * kDegrees; }

// The turn from `from` to `to`, degrees, the short way round.
float TurnBetween(float from, float to) {
  float d = std::fmod(to - from, 360.0f);
  if (d > 180.0f) d -= 360.0f;
  if (d < -180.0f) d += 360.0f;
  return d;
}

Vector3 Limited(const Vector3& v, float length) {
  float l = v.Length();
  return l > length ? v * (length / l) : v;
}

}  // namespace

Drone::Drone(int32_t spawnIndex_, const Vector3& at) : Entity(kKindDrone), spawnIndex(spawnIndex_) {
  radius = kRadius;
  mass = 1.0f;
  maxSpeed = 70.0f;
  position = at;
}

float Drone::HeightOverGround(const World& world) const {
  const Vector3 ahead = position + Vector3(velocity.x, 0.0f, velocity.z) * kProbeAhead;
  Ray down{ahead + Vector3(0.0f, kProbeRise, 0.0f), Vector3(0.0f, -1.0f, 0.0f)};
  float distance = kGroundProbe;
  // Nothing below: as if well above the ground, so it sinks back.
  if (!world.octree.RayCast(&down, kGroundProbe, &distance)) return kHoverHeight * 2.0f;
  return distance - kProbeRise;
}

void Drone::Update(uint32_t, EntityList& entities, float dt) {
  World* world = gWorld;
  if (world == nullptr || dt <= 0.0f) return;
  reload = std::max(0.0f, reload - dt);

  // It hovers: its own lift replaces gravity and holds it over the ground.
  Vector3 lift(0.0f, 0.0f, 0.0f);
  const float height = HeightOverGround(*world);
  lift.y = Clamp((kHoverHeight - height) * kHoverStiffness - velocity.y * kHoverDamping,
                         -kMaxClimb, kMaxClimb);

  Look(entities, *world, dt);
  const Vector3 wanted = (mode == Mode::kAttack ? Attack(dt) : Patrol(*world, dt)) + KeepApart(entities);
  const Vector3 steer = Limited((wanted - Flat(velocity)) * kSteering, kMaxSteer);
  lift.x = steer.x;
  lift.z = steer.z;
  force = lift * mass;

  if (mode == Mode::kAttack && seesQuarry && reload <= 0.0f &&
      std::fabs(TurnBetween(heading, HeadingOf(quarry - position))) <= kFacingToFire) {
    Fire(*world);
  }
}

Vector3 Drone::KeepApart(const EntityList& entities) const {
  // Drones that meet on a path slip past each other rather than collide.
  Vector3 push(0.0f, 0.0f, 0.0f);
  for (const Entity* e : entities) {
    if (e == this || e->kind != kKindDrone || !e->tangible) continue;
    const Vector3 away = Flat(position - e->position);
    const float d = away.Length();
    if (d >= kSeparation || d <= 0.0f) continue;
    // Sideways as well as apart, so two meeting head-on do not stall.
    const Vector3 along = away * (1.0f / d);
    const Vector3 side(along.z, 0.0f, -along.x);
    push += (along + side) * ((kSeparation - d) * kSeparationPush);
  }
  return push;
}

void Drone::Look(EntityList& entities, const World& world, float dt) {
  // The nearest ship in range; one ray tells whether the level hides it.
  const PlayerShip* nearest = nullptr;
  float nearestDistance = kSightRange;
  for (const Entity* e : entities) {
    if (e->kind != kKindPlayerShip || !e->tangible) continue;
    const float d = (e->position - position).Length();
    if (d < nearestDistance) {
      nearest = static_cast<const PlayerShip*>(e);
      nearestDistance = d;
    }
  }
  seesQuarry = false;
  if (nearest != nullptr && nearestDistance > nearest->radius) {
    Vector3 toShip = nearest->position - position;
    Ray sight{position, toShip * (1.0f / nearestDistance)};
    float blocked = 0.0f;
    seesQuarry = !world.octree.RayCast(&sight, nearestDistance - nearest->radius, &blocked);
  }
  if (seesQuarry) {
    mode = Mode::kAttack;
    quarry = nearest->position;
    unseen = 0.0f;
    return;
  }
  if (mode != Mode::kAttack) return;
  unseen += dt;
  if (unseen >= kGiveUpSeconds) {
    mode = Mode::kPatrol;
    targetNode = -1;
    previousNode = -1;
  }
}

Vector3 Drone::Patrol(World& world, float dt) {
  if (world.pathNodes.empty()) {
    TurnTo(Vector3(std::sin(heading / kDegrees), 0.0f, std::cos(heading / kDegrees)), dt);
    return Vector3(0.0f, 0.0f, 0.0f);  // nowhere to go: it holds its place
  }
  if (targetNode < 0 || static_cast<size_t>(targetNode) >= world.pathNodes.size()) {
    targetNode = NearestPathNode(world.pathNodes, position, nullptr);
    previousNode = -1;
  }
  if (::GroundDistance(world.pathNodes[targetNode].position, position) < kArrival) {
    ChooseNextNode(world, false);
  }
  // Pressed against something on the way: go back the way it came.
  stuck = Flat(velocity).Length() < kStuckSpeed ? stuck + dt : 0.0f;
  if (stuck >= kStuckSeconds) {
    if (previousNode >= 0) {
      std::swap(targetNode, previousNode);
    } else {
      ChooseNextNode(world, true);
    }
    stuck = 0.0f;
  }
  Vector3 toNode = Flat(world.pathNodes[targetNode].position - position);
  const float distance = toNode.Length();
  if (distance <= 0.0f) return Vector3(0.0f, 0.0f, 0.0f);
  TurnTo(toNode, dt);
  // It flies where it faces, so it rounds corners rather than sliding.
  const Vector3 facing(std::sin(heading / kDegrees), 0.0f, std::cos(heading / kDegrees));
  return facing * kCruiseSpeed;
}

Vector3 Drone::Attack(float dt) {
  // It faces its quarry and keeps its distance, circling.
  Vector3 toQuarry = Flat(quarry - position);
  const float distance = toQuarry.Length();
  if (distance <= 0.0f) return Vector3(0.0f, 0.0f, 0.0f);
  TurnTo(toQuarry, dt);
  const Vector3 along = toQuarry * (1.0f / distance);
  const Vector3 side(along.z, 0.0f, -along.x);
  const float closing = Clamp((distance - kStandOff) * 0.6f, -kCruiseSpeed, kCruiseSpeed);
  return along * closing + side * kCircling;
}

void Drone::ChooseNextNode(World& world, bool mayTurnBack) {
  const PathNode& node = world.pathNodes[targetNode];
  // Onward: any link but the way it came, unless that is the only one.
  uint32_t choices = 0;
  for (uint32_t link : node.links) choices += mayTurnBack || static_cast<int32_t>(link) != previousNode;
  const bool deadEnd = choices == 0;
  if (deadEnd) choices = static_cast<uint32_t>(node.links.size());
  if (choices == 0) return;  // a node without links: it stays there
  uint32_t pick = world.random.Below(choices);
  for (uint32_t link : node.links) {
    if (!deadEnd && !mayTurnBack && static_cast<int32_t>(link) == previousNode) continue;
    if (pick-- == 0) {
      previousNode = targetNode;
      targetNode = static_cast<int32_t>(link);
      return;
    }
  }
}

void Drone::TurnTo(const Vector3& towards, float dt) {
  const float turn = Clamp(TurnBetween(heading, HeadingOf(towards)), -kTurnRate * dt, kTurnRate * dt);
  heading = std::fmod(heading + turn, 360.0f);
  const float wantedBank = Clamp(turn / dt * kBankPerTurn, -kMaxBank, kMaxBank);
  bank += (wantedBank - bank) * std::min(1.0f, dt * 4.0f);
  Pose(heading, bank);
}

void Drone::Pose(float headingDegrees, float bankDegrees) {
  // Nose along the heading, top leaning into the turn.
  const float h = headingDegrees / kDegrees;
  const float b = bankDegrees / kDegrees;
  forward = Vector3(std::sin(h), 0.0f, std::cos(h));
  const Vector3 side(std::cos(h), 0.0f, -std::sin(h));
  up = Vector3(0.0f, std::cos(b), 0.0f) + side * std::sin(b);
  direction = forward;
}

void Drone::Fire(World& world) {
  reload = kReloadSeconds;
  const Vector3 toQuarry = quarry - position;
  const float distance = toQuarry.Length();
  if (distance <= 0.0f) return;
  // Aimed at the ship's centre, off by up to kAimError each way.
  const Vector3 aim = toQuarry * (1.0f / distance);
  const float yaw = std::atan2(aim.x, aim.z) + world.random.Signed() * kAimError / kDegrees;
  const float pitch = std::asin(Clamp(aim.y, -1.0f, 1.0f)) + world.random.Signed() * kAimError / kDegrees;
  const Vector3 shot(std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch));

  Rocket* rocket = new Rocket(position, this);
  rocket->position = position;
  rocket->forward = -shot;  // the model's nose is its -z
  rocket->SetDirection(shot);
  rocket->SetVelocity(velocity);
  rocket->shooter = -1;
  world.entities.push_back(rocket);
  PostEvent({WorldEventKind::kDroneFired, position, -1, -1});
}

void Drone::TakeDamage(float amount, int32_t shooter) {
  if (!alive || !tangible) return;
  health -= amount;
  if (health > 0.0f) return;
  alive = false;
  tangible = false;
  PostEvent({WorldEventKind::kDroneDestroyed, position, shooter, -1});
  if (gEntityList) gEntityList->push_back(new Explosion(Rocket::kExplosionMs, position));
  if (gWorld) gWorld->DroneLost(spawnIndex);
}

void Drone::Draw() {
  float m[16];
  BuildModelMatrix(m);
  glPushMatrix();
  glMultMatrixf(m);
  gDroneModel.Draw();
  glPopMatrix();
}

#include "net/world_capture.h"

#include <algorithm>
#include <cmath>

#include "world/drone.h"
#include "world/player_ship.h"
#include "world/rocket.h"
#include "math/scalar_math.h"
#include "world/world.h"

namespace net {
namespace {

constexpr float kDegrees = 180.0f / kPi;

bool Networked(const Entity& e) {
  return e.kind == kKindPlayerShip || e.kind == kKindDrone || e.kind == kKindRocket;
}

}  // namespace

void NetIds::Assign(World& world) {
  std::bitset<65536> live;
  for (const Entity* e : world.entities) {
    if (e->netId != 0) live.set(e->netId);
  }
  used_ = live;
  for (Entity* e : world.entities) {
    if (!Networked(*e) || e->netId != 0) continue;
    // 65535 numbers for a world of far fewer entities: a free one is near.
    while (next_ == 0 || used_.test(next_)) ++next_;
    e->netId = next_;
    used_.set(next_++);
  }
}

std::vector<EntityState> CaptureEntities(const World& world) {
  std::vector<EntityState> states;
  for (const Entity* e : world.entities) {
    if (!Networked(*e) || e->netId == 0 || !e->alive) continue;
    EntityState s;
    s.id = e->netId;
    s.x = PositionToWire(e->position.x);
    s.y = PositionToWire(e->position.y);
    s.z = PositionToWire(e->position.z);
    if (e->kind == kKindPlayerShip) {
      const auto* ship = static_cast<const PlayerShip*>(e);
      s.kind = SnapshotKind::kShip;
      s.owner = static_cast<uint8_t>(ship->player);
      s.flags = static_cast<uint8_t>((ship->Wrecked() ? kShipWrecked : 0) |
                                     (ship->Shielded() ? kShipShielded : 0));
      s.yaw = AngleToWire(ship->command.yaw);
      s.pitch = AngleToWire(ship->command.pitch);
      s.bank = AngleToWire(ship->bank);
    } else if (e->kind == kKindDrone) {
      const auto* drone = static_cast<const Drone*>(e);
      s.kind = SnapshotKind::kDrone;
      s.yaw = AngleToWire(drone->heading);
      s.bank = AngleToWire(drone->bank);
    } else {
      s.kind = SnapshotKind::kRocket;
      const Vector3& d = e->direction;
      s.yaw = AngleToWire(std::atan2(d.x, d.z) * kDegrees);
      s.pitch = AngleToWire(std::asin(std::max(-1.0f, std::min(1.0f, d.y))) * kDegrees);
    }
    states.push_back(s);
  }
  std::sort(states.begin(), states.end(),
            [](const EntityState& a, const EntityState& b) { return a.id < b.id; });
  return states;
}

OwnShip CaptureOwnShip(const PlayerShip& ship) {
  OwnShip own;
  own.present = true;
  own.position = ship.position;
  own.velocity = ship.velocity;
  own.heading = std::atan2(ship.forward.x, ship.forward.z) * kDegrees;
  own.bank = ship.bank;
  own.hull = ship.hull;
  own.wreckTime = ship.wreckTime;
  own.shieldLeft = ship.shieldLeft;
  own.collided = ship.collided;
  own.wrecked = ship.Wrecked();
  return own;
}

void RestoreOwnShip(const OwnShip& own, PlayerShip& ship) {
  ship.position = own.position;
  ship.velocity = own.velocity;
  const float h = own.heading / kDegrees;
  ship.forward = Vector3(std::sin(h), 0.0f, std::cos(h));
  ship.bank = own.bank;
  ship.hull = own.hull;
  ship.wreckTime = own.wreckTime;
  ship.shieldLeft = own.shieldLeft;
  ship.collided = own.collided;
  ship.tangible = !own.wrecked;
}

}  // namespace net

#include "net/prediction.h"

#include "net/protocol.h"
#include "net/world_capture.h"
#include "world/player_ship.h"
#include "world/world.h"

namespace net {
namespace {

// More unconfirmed than this and the server is not answering: the oldest
// are forgotten rather than kept for ever.
constexpr size_t kMostUnconfirmed = 2 * kTickRate;

}  // namespace

void ShipPrediction::Play(World& world, PlayerShip& ship, uint32_t number,
                          const ShipCommand& command) {
  unconfirmed_.emplace_back(number, command);
  while (unconfirmed_.size() > kMostUnconfirmed) unconfirmed_.pop_front();
  ship.command = command;
  world.StepAlone(ship, kTickSeconds);
}

Vector3 ShipPrediction::Correct(World& world, PlayerShip& ship, const OwnShip& own,
                                uint32_t played) {
  while (!unconfirmed_.empty() && unconfirmed_.front().first <= played) unconfirmed_.pop_front();
  if (!own.present) return Vector3(0.0f, 0.0f, 0.0f);
  const Vector3 before = ship.position;
  RestoreOwnShip(own, ship);
  for (const auto& [number, command] : unconfirmed_) {
    ship.command = command;
    world.StepAlone(ship, kTickSeconds);
  }
  return before - ship.position;
}

}  // namespace net

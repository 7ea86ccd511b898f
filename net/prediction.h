#pragma once
#include <cstdint>
#include <deque>
#include <utility>

#include "net/snapshot.h"
#include "world/ship_command.h"

class PlayerShip;
class World;

namespace net {

// A client's own ship runs ahead of the server's word: each command moves
// it at once, as the server will move it when the command arrives there.
// When the server's word comes, the ship is put where the server had it and
// the commands the server had not yet played are played again.
class ShipPrediction {
 public:
  // A command sent, by its number; `world` steps the ship with it now.
  void Play(World& world, PlayerShip& ship, uint32_t number, const ShipCommand& command);
  // The server's word on the ship, with the number of the last command it
  // had played. Returns how far the ship's place moved by it: the error the
  // picture then smooths away.
  Vector3 Correct(World& world, PlayerShip& ship, const OwnShip& own, uint32_t played);
  size_t Unconfirmed() const { return unconfirmed_.size(); }

 private:
  std::deque<std::pair<uint32_t, ShipCommand>> unconfirmed_;
};

}  // namespace net

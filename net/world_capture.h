#pragma once
#include <bitset>
#include <cstdint>
#include <vector>

#include "net/snapshot.h"

class PlayerShip;
class World;

namespace net {

// Gives each ship, drone and rocket of the world a network number of its
// own, kept for its life; numbers are used again only once free.
class NetIds {
 public:
  void Assign(World& world);

 private:
  std::bitset<65536> used_;
  uint16_t next_ = 1;
};

// The world's ships, drones and rockets as their peers draw them, by number.
std::vector<EntityState> CaptureEntities(const World& world);
// A ship as its own player's prediction needs it.
OwnShip CaptureOwnShip(const PlayerShip& ship);
// Puts a ship as a server described it: the start for prediction.
void RestoreOwnShip(const OwnShip& own, PlayerShip& ship);

}  // namespace net

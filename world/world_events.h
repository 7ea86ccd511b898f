#pragma once
#include <cstdint>
#include <vector>

#include "math/vector3.h"

// What the simulation did that the presentation shows or plays: the world
// posts these as they happen, the game plays their sounds after the step.
enum class WorldEventKind : uint8_t {
  kRocketLaunched,  // a ship fired
  kDroneFired,
  kExplosion,  // a rocket burst
  kHit,        // a rocket hurt a ship or a drone
  kDroneDestroyed,
  kShipDestroyed,
  kShipRespawned,
};

struct WorldEvent {
  WorldEventKind kind;
  Vector3 position;
  int32_t shooter = -1;  // the player whose rocket it was; -1 for a drone's or none
  int32_t target = -1;   // the player whose ship it befell; -1 for none
};

using WorldEvents = std::vector<WorldEvent>;

// The loaded world's events; null while there is no world.
extern WorldEvents* gWorldEvents;

// Adds an event to gWorldEvents, if there is a world to hold it.
void PostEvent(const WorldEvent& event);

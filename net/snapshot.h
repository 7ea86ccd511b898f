#pragma once
#include <cstdint>
#include <vector>

#include "math/vector3.h"

class ByteReader;
class ByteWriter;

namespace net {

// Angles on the wire: 65536 to the turn.
uint16_t AngleToWire(float degrees);
float AngleFromWire(int32_t wire);
// Positions on the wire: an eighth of a unit.
constexpr float kPositionSteps = 8.0f;
int32_t PositionToWire(float v);
float PositionFromWire(int32_t wire);

enum class SnapshotKind : uint8_t { kShip = 0, kDrone = 1, kRocket = 2 };
constexpr uint8_t kNoOwner = 255;

// How one entity looks, as far as another peer draws it.
struct EntityState {
  uint16_t id = 0;
  SnapshotKind kind = SnapshotKind::kShip;
  uint8_t owner = kNoOwner;  // a ship's player
  uint8_t flags = 0;         // a ship's kShipWrecked, kShipShielded
  int32_t x = 0, y = 0, z = 0;
  uint16_t yaw = 0;   // a ship's view, a drone's heading, a rocket's course
  uint16_t pitch = 0;
  uint16_t bank = 0;

  bool SameLook(const EntityState& o) const {
    return kind == o.kind && owner == o.owner && flags == o.flags;
  }
};
constexpr uint8_t kShipWrecked = 1;
constexpr uint8_t kShipShielded = 2;

// What the receiving player's own ship is, in full, for its prediction to
// start again from.
struct OwnShip {
  bool present = false;
  Vector3 position{0, 0, 0};
  Vector3 velocity{0, 0, 0};
  float heading = 0.0f;  // degrees, of the ship's forward across the ground
  float bank = 0.0f;
  float hull = 0.0f;
  float wreckTime = 0.0f;
  float shieldLeft = 0.0f;
  bool collided = false;
  bool wrecked = false;
};

// The world at one server tick, entities ordered by id.
struct Snapshot {
  uint32_t sequence = 0;  // the server tick it was taken at
  std::vector<EntityState> entities;
};

constexpr uint32_t kMaxSnapshotEntities = 1024;

// Writes `now` as the difference from `base` (empty for a full snapshot).
void WriteEntityDelta(ByteWriter& out, const std::vector<EntityState>& base,
                      const std::vector<EntityState>& now);
// Reads a difference written by WriteEntityDelta onto `base`; false, with the
// reason in the reader, for one that is damaged or does not fit `base`.
bool ReadEntityDelta(ByteReader& in, const std::vector<EntityState>& base,
                     std::vector<EntityState>& now);

}  // namespace net

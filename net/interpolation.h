#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "net/snapshot.h"

namespace net {

// Another peer's entity as the client draws it at one moment.
struct DrawnEntity {
  uint16_t id = 0;
  SnapshotKind kind = SnapshotKind::kShip;
  uint8_t owner = kNoOwner;
  uint8_t flags = 0;
  Vector3 position{0, 0, 0};
  float yaw = 0.0f, pitch = 0.0f, bank = 0.0f;  // degrees
};

// The client draws other entities this far behind the newest snapshot, so
// that there is nearly always a later one to move toward.
constexpr float kInterpolationTicks = 4.0f;  // 67 ms

// The entities at server tick `tick` (fractional), moved between the two
// snapshots either side of it; before the oldest or after the newest, as
// that one has them.
std::vector<DrawnEntity> EntitiesAt(const std::deque<Snapshot>& snapshots, float tick);

}  // namespace net

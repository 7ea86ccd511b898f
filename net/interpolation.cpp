#include "net/interpolation.h"

namespace net {
namespace {

DrawnEntity Drawn(const EntityState& e) {
  DrawnEntity d;
  d.id = e.id;
  d.kind = e.kind;
  d.owner = e.owner;
  d.flags = e.flags;
  d.position = Vector3(PositionFromWire(e.x), PositionFromWire(e.y), PositionFromWire(e.z));
  d.yaw = AngleFromWire(e.yaw);
  d.pitch = AngleFromWire(static_cast<int16_t>(e.pitch));
  d.bank = AngleFromWire(static_cast<int16_t>(e.bank));
  return d;
}

// The short way round from `a` to `b`, a share `t` of it.
float TurnBetween(uint16_t a, uint16_t b, float t) {
  const int16_t step = static_cast<int16_t>(static_cast<uint16_t>(b - a));
  return AngleFromWire(a) + AngleFromWire(step) * t;
}

float SignedBetween(uint16_t a, uint16_t b, float t) {
  const float from = AngleFromWire(static_cast<int16_t>(a));
  const float to = AngleFromWire(static_cast<int16_t>(b));
  return from + (to - from) * t;
}

}  // namespace

std::vector<DrawnEntity> EntitiesAt(const std::deque<Snapshot>& snapshots, float tick) {
  std::vector<DrawnEntity> drawn;
  if (snapshots.empty()) return drawn;
  size_t later = 0;
  while (later < snapshots.size() && static_cast<float>(snapshots[later].sequence) <= tick) ++later;
  if (later == 0 || later == snapshots.size()) {
    const Snapshot& only = later == 0 ? snapshots.front() : snapshots.back();
    for (const EntityState& e : only.entities) drawn.push_back(Drawn(e));
    return drawn;
  }
  const Snapshot& a = snapshots[later - 1];
  const Snapshot& b = snapshots[later];
  const float t = (tick - static_cast<float>(a.sequence)) / static_cast<float>(b.sequence - a.sequence);
  // Both lists are ordered by id: what the later one holds is drawn, moved
  // from where the earlier one had it.
  size_t i = 0;
  for (const EntityState& to : b.entities) {
    while (i < a.entities.size() && a.entities[i].id < to.id) ++i;
    DrawnEntity d = Drawn(to);
    if (i < a.entities.size() && a.entities[i].id == to.id) {
      const EntityState& from = a.entities[i];
      const Vector3 p = Drawn(from).position;
      d.position = p + (d.position - p) * t;
      d.yaw = TurnBetween(from.yaw, to.yaw, t);
      d.pitch = SignedBetween(from.pitch, to.pitch, t);
      d.bank = SignedBetween(from.bank, to.bank, t);
    }
    drawn.push_back(d);
  }
  return drawn;
}

}  // namespace net

#include "net/snapshot.h"

#include <cmath>
#include <string>

#include "assets/byte_reader.h"
#include "assets/byte_writer.h"

namespace net {
namespace {

enum DeltaField : uint8_t { kLook = 1, kPlace = 2, kAngles = 4, kEveryField = 7 };

constexpr float kWireUnitsPerDegree = 65536.0f / 360.0f;
// Positions are kept within this, so that the difference of two fits 32 bits.
constexpr float kFarthest = 1.0e8f;
constexpr int64_t kFarthestOnWire = static_cast<int64_t>(kFarthest * kPositionSteps);

// Adds a difference read from a peer without overflowing; false when the
// result lies beyond what any sender writes.
bool Moved(int32_t& coordinate, int32_t step) {
  const int64_t moved = static_cast<int64_t>(coordinate) + step;
  if (moved > kFarthestOnWire || moved < -kFarthestOnWire) return false;
  coordinate = static_cast<int32_t>(moved);
  return true;
}

uint8_t ChangedFields(const EntityState* base, const EntityState& now) {
  if (base == nullptr) return kEveryField;
  uint8_t fields = 0;
  if (!base->SameLook(now)) fields |= kLook;
  if (base->x != now.x || base->y != now.y || base->z != now.z) fields |= kPlace;
  if (base->yaw != now.yaw || base->pitch != now.pitch || base->bank != now.bank) fields |= kAngles;
  return fields;
}

int32_t AngleStep(uint16_t from, uint16_t to) {
  return static_cast<int16_t>(static_cast<uint16_t>(to - from));
}

}  // namespace

uint16_t AngleToWire(float degrees) {
  if (!std::isfinite(degrees)) return 0;
  const double turns = static_cast<double>(degrees) / 360.0;
  const double wrapped = turns - std::floor(turns);
  return static_cast<uint16_t>(static_cast<uint32_t>(std::lround(wrapped * 65536.0)) & 0xFFFFu);
}

float AngleFromWire(int32_t wire) { return static_cast<float>(wire) / kWireUnitsPerDegree; }

int32_t PositionToWire(float v) {
  if (!std::isfinite(v)) return 0;
  if (v > kFarthest) v = kFarthest;
  if (v < -kFarthest) v = -kFarthest;
  return static_cast<int32_t>(std::lround(v * kPositionSteps));
}

float PositionFromWire(int32_t wire) { return static_cast<float>(wire) / kPositionSteps; }

void WriteEntityDelta(ByteWriter& out, const std::vector<EntityState>& base,
                      const std::vector<EntityState>& now) {
  // Both lists are ordered by id: walk them together.
  std::vector<uint16_t> removed;
  std::vector<std::pair<const EntityState*, const EntityState*>> changed;
  size_t b = 0;
  for (const EntityState& e : now) {
    while (b < base.size() && base[b].id < e.id) removed.push_back(base[b++].id);
    const EntityState* was = b < base.size() && base[b].id == e.id ? &base[b++] : nullptr;
    if (ChangedFields(was, e) != 0) changed.emplace_back(was, &e);
  }
  while (b < base.size()) removed.push_back(base[b++].id);

  out.Varint(static_cast<uint32_t>(removed.size()));
  for (uint16_t id : removed) out.Varint(id);
  out.Varint(static_cast<uint32_t>(changed.size()));
  for (const auto& [was, e] : changed) {
    const uint8_t fields = ChangedFields(was, *e);
    static const EntityState kZero;
    const EntityState& from = was ? *was : kZero;
    out.Varint(e->id);
    out.U8(fields);
    if (fields & kLook) {
      out.U8(static_cast<uint8_t>(e->kind));
      out.U8(e->owner);
      out.U8(e->flags);
    }
    if (fields & kPlace) {
      out.SignedVarint(e->x - from.x);
      out.SignedVarint(e->y - from.y);
      out.SignedVarint(e->z - from.z);
    }
    if (fields & kAngles) {
      out.SignedVarint(AngleStep(from.yaw, e->yaw));
      out.SignedVarint(AngleStep(from.pitch, e->pitch));
      out.SignedVarint(AngleStep(from.bank, e->bank));
    }
  }
}

bool ReadEntityDelta(ByteReader& in, const std::vector<EntityState>& base,
                     std::vector<EntityState>& now) {
  now.clear();
  const uint32_t removedCount = in.Varint();
  if (in.Failed()) return false;
  if (removedCount > base.size()) {
    in.Fail("a snapshot removes " + std::to_string(removedCount) + " of " +
            std::to_string(base.size()) + " entities");
    return false;
  }
  std::vector<bool> keep(base.size(), true);
  size_t from = 0;
  for (uint32_t i = 0; i < removedCount; ++i) {
    const uint32_t id = in.Varint();
    if (in.Failed()) return false;
    // Ids come in order, each one the base holds.
    while (from < base.size() && base[from].id < id) ++from;
    if (from == base.size() || base[from].id != id || !keep[from]) {
      in.Fail("a snapshot removes entity " + std::to_string(id) + ", which its base lacks");
      return false;
    }
    keep[from] = false;
  }
  const uint32_t changedCount = in.Varint();
  if (in.Failed()) return false;
  // Each change takes at least two bytes.
  if (changedCount > kMaxSnapshotEntities || !in.Expect(changedCount, 2, "snapshot entities")) {
    if (!in.Failed()) in.Fail("a snapshot of " + std::to_string(changedCount) + " entities");
    return false;
  }
  size_t b = 0;
  int64_t lastId = -1;
  for (uint32_t i = 0; i < changedCount; ++i) {
    const uint32_t id = in.Varint();
    const uint8_t fields = in.U8();
    if (in.Failed()) return false;
    if (id > 0xFFFF || static_cast<int64_t>(id) <= lastId || fields == 0 || fields > kEveryField) {
      in.Fail("a snapshot entity " + std::to_string(id) + " out of order or with no change");
      return false;
    }
    lastId = id;
    // Base entities before this one stand as they were, unless removed.
    while (b < base.size() && base[b].id < id) {
      if (keep[b]) now.push_back(base[b]);
      ++b;
    }
    const bool known = b < base.size() && base[b].id == id && keep[b];
    if (b < base.size() && base[b].id == id) ++b;
    if (!known && fields != kEveryField) {
      in.Fail("a snapshot changes entity " + std::to_string(id) + ", which its base lacks");
      return false;
    }
    EntityState e = known ? base[b - 1] : EntityState{};
    e.id = static_cast<uint16_t>(id);
    if (fields & kLook) {
      const uint8_t kind = in.U8();
      e.owner = in.U8();
      e.flags = in.U8();
      if (kind > static_cast<uint8_t>(SnapshotKind::kRocket)) {
        in.Fail("a snapshot entity of unknown kind " + std::to_string(kind));
        return false;
      }
      e.kind = static_cast<SnapshotKind>(kind);
    }
    if (fields & kPlace) {
      const int32_t dx = in.SignedVarint(), dy = in.SignedVarint(), dz = in.SignedVarint();
      if (!in.Failed() && !(Moved(e.x, dx) && Moved(e.y, dy) && Moved(e.z, dz))) {
        in.Fail("a snapshot moves entity " + std::to_string(id) + " out of any level");
        return false;
      }
    }
    if (fields & kAngles) {
      e.yaw = static_cast<uint16_t>(e.yaw + in.SignedVarint());
      e.pitch = static_cast<uint16_t>(e.pitch + in.SignedVarint());
      e.bank = static_cast<uint16_t>(e.bank + in.SignedVarint());
    }
    if (in.Failed()) return false;
    now.push_back(e);
  }
  while (b < base.size()) {
    if (keep[b]) now.push_back(base[b]);
    ++b;
  }
  if (now.size() > kMaxSnapshotEntities) {
    in.Fail("a snapshot of more than " + std::to_string(kMaxSnapshotEntities) + " entities");
    return false;
  }
  return true;
}

}  // namespace net

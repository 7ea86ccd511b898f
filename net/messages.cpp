#include "net/messages.h"

#include <cmath>

#include "assets/byte_reader.h"
#include "assets/byte_writer.h"

namespace net {
namespace {

constexpr uint32_t kMaxTally = 1000000;
constexpr float kLongestRound = 24.0f * 3600.0f;

void Text(ByteWriter& out, const std::string& text, size_t limit) {
  const size_t n = text.size() < limit ? text.size() : limit;
  out.U8(static_cast<uint8_t>(n));
  out.Bytes(text.data(), n);
}

bool ReadText(ByteReader& in, size_t limit, const char* what, std::string& text) {
  const uint8_t n = in.U8();
  if (in.Failed()) return false;
  if (n > limit) {
    in.Fail(std::string(what) + " of " + std::to_string(n) + " characters, more than " +
            std::to_string(limit));
    return false;
  }
  if (!in.Expect(n, 1, what)) return false;
  text.resize(n);
  in.Bytes(text.data(), n);
  for (char c : text) {
    if (c < 0x20 || c > 0x7E) {
      in.Fail(std::string(what) + " holds a character that is not printable");
      return false;
    }
  }
  return true;
}

void WireCommand(ByteWriter& out, const ShipCommand& c) {
  out.U16(AngleToWire(c.pitch));
  out.U16(AngleToWire(c.yaw));
  out.U8(c.controls);
}

// Pitch on the wire: -90 to 90 degrees, as 65536ths of a turn about 0.
float PitchFromWire(uint16_t wire) { return AngleFromWire(static_cast<int16_t>(wire)); }

bool ReadCommand(ByteReader& in, ShipCommand& c) {
  const uint16_t pitch = in.U16();
  const uint16_t yaw = in.U16();
  c.controls = in.U8();
  if (in.Failed()) return false;
  if (std::fabs(PitchFromWire(pitch)) > 90.0f) {
    in.Fail("a command looks further up or down than straight");
    return false;
  }
  if ((c.controls & ~kAllControls) != 0) {
    in.Fail("a command holds controls the game does not have");
    return false;
  }
  c.pitch = PitchFromWire(pitch);
  c.yaw = AngleFromWire(yaw);
  return true;
}

bool FiniteBetween(ByteReader& in, float v, float lo, float hi, const char* what) {
  if (std::isfinite(v) && v >= lo && v <= hi) return true;
  in.Fail(std::string(what) + " out of range");
  return false;
}

void WriteOwn(ByteWriter& out, const OwnShip& own) {
  out.U8(own.present ? 1 : 0);
  if (!own.present) return;
  out.Vector(own.position);
  out.Vector(own.velocity);
  out.F32(own.heading);
  out.F32(own.bank);
  out.F32(own.hull);
  out.F32(own.wreckTime);
  out.F32(own.shieldLeft);
  out.U8(static_cast<uint8_t>((own.collided ? 1 : 0) | (own.wrecked ? 2 : 0)));
}

bool ReadOwn(ByteReader& in, OwnShip& own) {
  const uint8_t present = in.U8();
  if (in.Failed() || present > 1) {
    if (!in.Failed()) in.Fail("a snapshot's own ship is damaged");
    return false;
  }
  own = OwnShip{};
  own.present = present == 1;
  if (!own.present) return true;
  auto vector = [&in]() {
    const float x = in.F32(), y = in.F32(), z = in.F32();
    return Vector3(x, y, z);
  };
  own.position = vector();
  own.velocity = vector();
  own.heading = in.F32();
  own.bank = in.F32();
  own.hull = in.F32();
  own.wreckTime = in.F32();
  own.shieldLeft = in.F32();
  const uint8_t flags = in.U8();
  if (in.Failed()) return false;
  if (!IsFinite(own.position) || !IsFinite(own.velocity) ||
      std::fabs(own.position.x) > 1e8f || std::fabs(own.position.y) > 1e8f ||
      std::fabs(own.position.z) > 1e8f || own.velocity.Length() > 1e4f || flags > 3) {
    in.Fail("a snapshot's own ship is not in any level");
    return false;
  }
  own.collided = (flags & 1) != 0;
  own.wrecked = (flags & 2) != 0;
  return FiniteBetween(in, own.heading, -360.0f, 360.0f, "own ship's heading") &&
         FiniteBetween(in, own.bank, -90.0f, 90.0f, "own ship's bank") &&
         FiniteBetween(in, own.hull, 0.0f, 1000.0f, "own ship's hull") &&
         FiniteBetween(in, own.wreckTime, 0.0f, 60.0f, "own ship's wreck time") &&
         FiniteBetween(in, own.shieldLeft, -1.0f, 60.0f, "own ship's shield time");
}

ByteWriter Start(MessageType type) {
  ByteWriter out;
  out.U8(static_cast<uint8_t>(type));
  return out;
}

bool DecodeBody(ByteReader& in, Message& m) {
  switch (m.type) {
    case MessageType::kHello: {
      m.hello.version = in.U16();
      if (!ReadText(in, kMaxNameLength, "a name", m.hello.name)) return false;
      m.hello.colour = in.U8();
      return !in.Failed();
    }
    case MessageType::kCommands: {
      Commands& c = m.commands;
      c.newest = in.U32();
      c.snapshotHeld = in.U32();
      const uint8_t count = in.U8();
      if (in.Failed()) return false;
      if (count == 0 || count > kCommandsPerMessage || count > c.newest) {
        in.Fail("a message of " + std::to_string(count) + " commands");
        return false;
      }
      c.commands.resize(count);
      for (ShipCommand& command : c.commands) {
        if (!ReadCommand(in, command)) return false;
      }
      return true;
    }
    case MessageType::kWelcome: {
      Welcome& w = m.welcome;
      w.version = in.U16();
      w.player = in.U8();
      w.levelChecksum = in.U32();
      w.tick = in.U32();
      w.roundLength = in.F32();
      if (in.Failed()) return false;
      if (w.player >= kMaxPlayers) {
        in.Fail("a welcome to player " + std::to_string(w.player));
        return false;
      }
      return FiniteBetween(in, w.roundLength, 1.0f, kLongestRound, "the round's length");
    }
    case MessageType::kRefused:
      return ReadText(in, kMaxReasonLength, "a reason", m.refused.reason);
    case MessageType::kPlayer: {
      PlayerNote& p = m.player;
      p.player = in.U8();
      const uint8_t present = in.U8();
      if (!ReadText(in, kMaxNameLength, "a name", p.name)) return false;
      p.colour = in.U8();
      if (in.Failed()) return false;
      if (p.player >= kMaxPlayers || present > 1) {
        in.Fail("a note of player " + std::to_string(p.player));
        return false;
      }
      p.present = present == 1;
      return true;
    }
    case MessageType::kEvents: {
      const uint8_t count = in.U8();
      if (in.Failed()) return false;
      if (count == 0 || count > kMaxEventsPerMessage) {
        in.Fail("a message of " + std::to_string(count) + " events");
        return false;
      }
      m.events.list.resize(count);
      for (WorldEvent& e : m.events.list) {
        const uint8_t kind = in.U8();
        const int32_t x = in.SignedVarint(), y = in.SignedVarint(), z = in.SignedVarint();
        const int8_t shooter = static_cast<int8_t>(in.U8());
        const int8_t target = static_cast<int8_t>(in.U8());
        if (in.Failed()) return false;
        if (kind > static_cast<uint8_t>(WorldEventKind::kShipRespawned) || shooter < -1 ||
            shooter >= kMaxPlayers || target < -1 || target >= kMaxPlayers) {
          in.Fail("an event of unknown kind or player");
          return false;
        }
        e.kind = static_cast<WorldEventKind>(kind);
        e.position = Vector3(PositionFromWire(x), PositionFromWire(y), PositionFromWire(z));
        e.shooter = shooter;
        e.target = target;
      }
      return true;
    }
    case MessageType::kScores: {
      Scores& s = m.scores;
      s.timeLeft = in.F32();
      const uint8_t over = in.U8();
      const uint8_t count = in.U8();
      if (in.Failed()) return false;
      if (over > 1 || count > kMaxPlayers) {
        in.Fail("scores of " + std::to_string(count) + " players");
        return false;
      }
      if (!FiniteBetween(in, s.timeLeft, 0.0f, kLongestRound, "the time left")) return false;
      s.over = over == 1;
      s.players.resize(count);
      s.tallies.resize(count);
      for (uint8_t i = 0; i < count; ++i) {
        s.players[i] = in.U8();
        PlayerTally& t = s.tallies[i];
        const uint32_t values[4] = {in.Varint(), in.Varint(), in.Varint(), in.Varint()};
        if (in.Failed()) return false;
        if (s.players[i] >= kMaxPlayers || values[0] > kMaxTally || values[1] > kMaxTally ||
            values[2] > kMaxTally || values[3] > kMaxTally) {
          in.Fail("a tally out of range");
          return false;
        }
        t.score = static_cast<int32_t>(values[0]);
        t.shots = static_cast<int32_t>(values[1]);
        t.hits = static_cast<int32_t>(values[2]);
        t.losses = static_cast<int32_t>(values[3]);
      }
      return true;
    }
    case MessageType::kSnapshot: {
      SnapshotMessage& s = m.snapshot;
      s.sequence = in.U32();
      s.base = in.U32();
      s.lastCommand = in.U32();
      if (in.Failed()) return false;
      if (s.base != 0 && (s.base >= s.sequence || s.sequence - s.base > kSnapshotHistory)) {
        in.Fail("a snapshot based on one it cannot have kept");
        return false;
      }
      if (!ReadOwn(in, s.own)) return false;
      // The entities' difference is read against its base by the client.
      s.delta.resize(in.Remaining());
      in.Bytes(s.delta.data(), s.delta.size());
      return !in.Failed();
    }
  }
  in.Fail("an unknown message");
  return false;
}

}  // namespace

ShipCommand QuantizedCommand(const ShipCommand& command) {
  ShipCommand q = command;
  q.pitch = PitchFromWire(AngleToWire(command.pitch));
  q.yaw = AngleFromWire(AngleToWire(command.yaw));
  q.controls = command.controls & kAllControls;
  return q;
}

bool IsValidName(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  for (char c : name) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

std::string CleanName(const std::string& name) {
  std::string clean;
  for (char c : name) {
    if (c >= 0x20 && c <= 0x7E && clean.size() < kMaxNameLength) clean += c;
  }
  while (!clean.empty() && clean.back() == ' ') clean.pop_back();
  while (!clean.empty() && clean.front() == ' ') clean.erase(clean.begin());
  return clean.empty() ? "Pilot" : clean;
}

std::vector<uint8_t> Encode(const Hello& m) {
  ByteWriter out = Start(MessageType::kHello);
  out.U16(m.version);
  Text(out, m.name, kMaxNameLength);
  out.U8(m.colour);
  return out.Bytes();
}

std::vector<uint8_t> Encode(const Commands& m) {
  ByteWriter out = Start(MessageType::kCommands);
  out.U32(m.newest);
  out.U32(m.snapshotHeld);
  const size_t count = m.commands.size() < kCommandsPerMessage ? m.commands.size() : kCommandsPerMessage;
  out.U8(static_cast<uint8_t>(count));
  for (size_t i = 0; i < count; ++i) WireCommand(out, m.commands[i]);
  return out.Bytes();
}

std::vector<uint8_t> Encode(const Welcome& m) {
  ByteWriter out = Start(MessageType::kWelcome);
  out.U16(m.version);
  out.U8(m.player);
  out.U32(m.levelChecksum);
  out.U32(m.tick);
  out.F32(m.roundLength);
  return out.Bytes();
}

std::vector<uint8_t> Encode(const Refused& m) {
  ByteWriter out = Start(MessageType::kRefused);
  Text(out, m.reason, kMaxReasonLength);
  return out.Bytes();
}

std::vector<uint8_t> Encode(const PlayerNote& m) {
  ByteWriter out = Start(MessageType::kPlayer);
  out.U8(m.player);
  out.U8(m.present ? 1 : 0);
  Text(out, m.name, kMaxNameLength);
  out.U8(m.colour);
  return out.Bytes();
}

std::vector<uint8_t> Encode(const Events& m) {
  ByteWriter out = Start(MessageType::kEvents);
  const size_t count = m.list.size() < kMaxEventsPerMessage ? m.list.size() : kMaxEventsPerMessage;
  out.U8(static_cast<uint8_t>(count));
  for (size_t i = 0; i < count; ++i) {
    const WorldEvent& e = m.list[i];
    out.U8(static_cast<uint8_t>(e.kind));
    out.SignedVarint(PositionToWire(e.position.x));
    out.SignedVarint(PositionToWire(e.position.y));
    out.SignedVarint(PositionToWire(e.position.z));
    out.U8(static_cast<uint8_t>(static_cast<int8_t>(e.shooter)));
    out.U8(static_cast<uint8_t>(static_cast<int8_t>(e.target)));
  }
  return out.Bytes();
}

std::vector<uint8_t> Encode(const Scores& m) {
  ByteWriter out = Start(MessageType::kScores);
  out.F32(m.timeLeft);
  out.U8(m.over ? 1 : 0);
  out.U8(static_cast<uint8_t>(m.players.size()));
  for (size_t i = 0; i < m.players.size(); ++i) {
    const PlayerTally& t = m.tallies[i];
    out.U8(m.players[i]);
    for (int32_t v : {t.score, t.shots, t.hits, t.losses}) out.Varint(static_cast<uint32_t>(v < 0 ? 0 : v));
  }
  return out.Bytes();
}

std::vector<uint8_t> Encode(const SnapshotMessage& m, const std::vector<EntityState>& base,
                            const std::vector<EntityState>& entities) {
  ByteWriter out = Start(MessageType::kSnapshot);
  out.U32(m.sequence);
  out.U32(m.base);
  out.U32(m.lastCommand);
  WriteOwn(out, m.own);
  WriteEntityDelta(out, base, entities);
  return out.Bytes();
}

bool Decode(const uint8_t* data, size_t size, Message& out, std::string& error) {
  if (size == 0 || size > kMaxMessageBytes) {
    error = "a message of " + std::to_string(size) + " bytes";
    return false;
  }
  ByteReader in(data, size);
  const uint8_t type = in.U8();
  out.type = static_cast<MessageType>(type);
  const bool known = (type >= 1 && type <= 2) || (type >= 16 && type <= 21);
  if (!known) {
    error = "a message of unknown type " + std::to_string(type);
    return false;
  }
  if (!DecodeBody(in, out)) {
    error = in.Error();
    return false;
  }
  if (in.Remaining() != 0) {
    error = std::to_string(in.Remaining()) + " bytes after a message's end";
    return false;
  }
  return true;
}

}  // namespace net

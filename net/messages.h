#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "net/protocol.h"
#include "net/snapshot.h"
#include "world/round.h"
#include "world/ship_command.h"
#include "world/world_events.h"

// The network game's messages, one to a packet, and their codec. Every
// decoder checks each length, count and value before it is used, and
// refuses a damaged message with a reason; nothing is trusted.
namespace net {

// A command as it crosses the wire: the angles in 65536ths of a turn. The
// client plays its own commands quantized so, as the server will.
ShipCommand QuantizedCommand(const ShipCommand& command);

// Names are printable ASCII, 1 to 16 characters.
bool IsValidName(const std::string& name);
// The name a peer asked for made valid: unprintable characters dropped,
// cut to 16, "Pilot" when nothing is left.
std::string CleanName(const std::string& name);

struct Hello {
  uint16_t version = kProtocolVersion;
  std::string name;
  uint8_t colour = 0;
};

// The newest command and up to three before it: commands[i] is for
// sequence `newest - i`.
struct Commands {
  uint32_t newest = 0;
  uint32_t snapshotHeld = 0;  // the newest snapshot the client has, 0 for none
  std::vector<ShipCommand> commands;
};

struct Welcome {
  uint16_t version = kProtocolVersion;
  uint8_t player = 0;
  uint32_t levelChecksum = 0;  // of the server's level file: the client's must match
  uint32_t tick = 0;
  float roundLength = 0.0f;
};

struct Refused {
  std::string reason;
};

struct PlayerNote {
  uint8_t player = 0;
  bool present = false;  // joined (or was there), or left
  std::string name;
  uint8_t colour = 0;
};

// What happened in the world in one tick, in order.
struct Events {
  std::vector<WorldEvent> list;
};
constexpr size_t kMaxEventsPerMessage = 64;

struct Scores {
  float timeLeft = 0.0f;
  bool over = false;  // the round has ended: these are its results
  std::vector<uint8_t> players;
  std::vector<PlayerTally> tallies;
};

struct SnapshotMessage {
  uint32_t sequence = 0;
  uint32_t base = 0;         // the snapshot it differs from; 0: from nothing
  uint32_t lastCommand = 0;  // the newest of this client's commands played
  OwnShip own;
  std::vector<uint8_t> delta;  // the entities' difference, for ReadEntityDelta
};

// One decoded message: `type` says which member holds it.
struct Message {
  MessageType type = MessageType::kHello;
  Hello hello;
  Commands commands;
  Welcome welcome;
  Refused refused;
  PlayerNote player;
  Events events;
  Scores scores;
  SnapshotMessage snapshot;
};

std::vector<uint8_t> Encode(const Hello& m);
std::vector<uint8_t> Encode(const Commands& m);
std::vector<uint8_t> Encode(const Welcome& m);
std::vector<uint8_t> Encode(const Refused& m);
std::vector<uint8_t> Encode(const PlayerNote& m);
// At most kMaxEventsPerMessage of them; the caller sends the rest in more.
std::vector<uint8_t> Encode(const Events& m);
std::vector<uint8_t> Encode(const Scores& m);
// The entities are written as their difference from `base` (empty: whole).
std::vector<uint8_t> Encode(const SnapshotMessage& m, const std::vector<EntityState>& base,
                            const std::vector<EntityState>& entities);

// False, with the reason in `error`, for anything that is not a whole,
// sound message of a known type.
bool Decode(const uint8_t* data, size_t size, Message& out, std::string& error);

}  // namespace net

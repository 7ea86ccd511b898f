#pragma once
#include <cstddef>
#include <cstdint>

// The network game's fixed terms, shared by the server, the clients and the
// message codec. A peer that speaks another protocol version is refused.
namespace net {

constexpr uint16_t kProtocolVersion = 1;
constexpr uint16_t kDefaultPort = 27950;
constexpr int kMaxPlayers = 8;

// The world steps in fixed ticks on both sides, so that a client's
// prediction of its own ship repeats the server's steps exactly.
constexpr int kTickRate = 60;
constexpr float kTickSeconds = 1.0f / kTickRate;
constexpr int kTicksPerSnapshot = 2;  // 30 snapshots a second

// No message is larger: a bigger one is hostile, and so is a flood.
constexpr size_t kMaxMessageBytes = 1200;
constexpr int kMaxMessagesPerSecond = 200;
constexpr size_t kMaxNameLength = 16;
constexpr size_t kMaxReasonLength = 160;
// Commands carry the last few before them, so one lost packet costs nothing.
constexpr uint8_t kCommandsPerMessage = 4;
// Snapshots the sender keeps as bases for the next ones' differences.
constexpr uint32_t kSnapshotHistory = 32;
// A peer silent this long is gone.
constexpr uint32_t kTimeoutMs = 5000;

enum Channel : uint8_t {
  kChannelReliable = 0,   // greetings, players, events, scores
  kChannelCommands = 1,   // unreliable, sequenced
  kChannelSnapshots = 2,  // unreliable, sequenced
  kChannelCount = 3,
};

enum class MessageType : uint8_t {
  kHello = 1,     // client: who it is
  kCommands = 2,  // client: its latest commands and the last snapshot it has
  kWelcome = 16,  // server: you are in
  kRefused = 17,  // server: you are not, and why
  kPlayer = 18,   // server: a player joined or left
  kEvents = 19,   // server: what happened in the world in a tick
  kScores = 20,   // server: the round's tallies and time
  kSnapshot = 21, // server: the world, as a difference from one the client has
};

}  // namespace net

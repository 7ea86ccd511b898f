#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "net/enet_host.h"
#include "net/messages.h"
#include "net/world_capture.h"
#include "world/round.h"

class PlayerShip;
class World;

namespace net {

struct ServerSettings {
  uint16_t port = kDefaultPort;
  float roundSeconds = Round::kDefaultSeconds;
  uint32_t levelChecksum = 0;  // of the level file the world was loaded from
};

// One player's place on the server.
struct ServerPlayer {
  bool present = false;   // a player holds the place
  bool welcomed = false;  // has said who it is and been given its ship
  bool local = false;     // the host's own player: no peer
  ENetPeer* peer = nullptr;
  std::string name;
  uint8_t colour = 0;
  // Commands received and not yet played, oldest first, with their numbers.
  std::deque<std::pair<uint32_t, ShipCommand>> queued;
  uint32_t newestReceived = 0;
  uint32_t lastPlayed = 0;  // the number of the command played last
  ShipCommand playing;      // played again while none is queued
  uint32_t snapshotHeld = 0;
  uint32_t floodWindowStart = 0;  // ms, of the current second's message count
  int floodCount = 0;
};

// The game's authority: it runs the world in fixed ticks, plays each
// player's commands on that player's ship and no other, and tells every
// client what happens. Clients send commands and nothing else: they cannot
// steer another's ship, choose where they start or make entities.
class GameServer {
 public:
  static constexpr float kIntermissionSeconds = 10.0f;

  // `world` holds a loaded level; the server owns its entities from now on.
  GameServer(World& world, const ServerSettings& settings);
  ~GameServer();
  GameServer(const GameServer&) = delete;
  GameServer& operator=(const GameServer&) = delete;

  bool Listen(std::string& error);
  uint16_t Port() const { return host_.Port(); }
  // The host's own player, who plays in this process; its ship is the
  // world's first entity.
  void AddLocalPlayer(const std::string& name, uint8_t colour);
  void SetLocalCommand(const ShipCommand& command);

  // Reads what the peers sent, waiting up to `waitMs` for the first of it.
  void Receive(uint32_t waitMs);
  // One tick: each player's next command, a step of the world, and what the
  // clients must hear of it. The world's events stay for the caller to play.
  void Tick();
  // Tells every client why the game ends, and lets them go.
  void Shut(const std::string& reason);

  // A recorded game played back: the players come and go, and move their
  // ships, as the record says.
  void JoinRecorded(int player, const std::string& name, uint8_t colour);
  void LeaveRecorded(int player);
  void QueueRecorded(int player, const ShipCommand& command);
  // Where the game is recorded as it is played, if anywhere.
  class GameRecorder* recorder = nullptr;

  uint32_t TickNumber() const { return tick_; }
  const Round& CurrentRound() const { return round_; }
  bool Intermission() const { return intermission_ > 0.0f; }
  const std::array<ServerPlayer, kMaxPlayers>& Players() const { return players_; }
  int PlayerCount() const;
  uint64_t BytesSent() const { return host_.Raw() ? host_.BytesSent() : 0; }
  uint64_t BytesReceived() const { return host_.Raw() ? host_.BytesReceived() : 0; }
  // One line for the server's log, each time something happens to a player.
  std::function<void(const std::string&)> log;

 private:
  void OnConnect(ENetPeer* peer);
  void OnDisconnect(ENetPeer* peer, bool timedOut);
  void OnPacket(ENetPeer* peer, const ENetPacket& packet);
  void OnHello(ServerPlayer& player, const Hello& hello);
  // Gives a player its ship and tells everyone; the hello's or a record's.
  void Welcome(ServerPlayer& player, const std::string& name, uint8_t colour);
  void OnCommands(ServerPlayer& player, const Commands& commands);
  // Lets a peer go, telling it and the log why.
  void Drop(ServerPlayer& player, const std::string& reason);
  void Leave(ServerPlayer& player, const std::string& why);
  void PlayCommands();
  void SendEvents();
  void SendScores();
  void SendSnapshots();
  void StartRound();
  // The log's line for each ship and drone destroyed.
  void LogScores();
  PlayerShip* ShipOf(const ServerPlayer& player) const;
  int IndexOf(const ServerPlayer& player) const;
  void Say(const std::string& line);

  World& world_;
  ServerSettings settings_;
  EnetHost host_;
  std::array<ServerPlayer, kMaxPlayers> players_{};
  NetIds ids_;
  Round round_;
  float intermission_ = 0.0f;
  uint32_t tick_ = 0;
  uint32_t nextScores_ = 0;  // the tick the scores are sent again by
  std::array<Snapshot, kSnapshotHistory> history_{};
};

}  // namespace net

#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "net/enet_host.h"
#include "net/messages.h"

namespace net {

// A player's name and colour, as the server told them.
struct PlayerInfo {
  bool present = false;
  std::string name;
  uint8_t colour = 0;
};

// The client's side of a connection: it says who it is, sends its ship's
// commands, and keeps what the server tells it: snapshots of the world,
// events, players and scores. It checks every message as the server does.
class GameClient {
 public:
  enum class State { kConnecting, kPlaying, kGone };

  // Starts connecting; Receive reports how it goes.
  bool Connect(const std::string& host, uint16_t port, const std::string& name, uint8_t colour,
               uint32_t levelChecksum, std::string& error);
  // Reads what the server sent, waiting up to `waitMs` for the first of it.
  // False once the game is over for this client, with the reason in `why`.
  bool Receive(uint32_t waitMs, std::string& why);
  // Sends the command for the client's next tick, numbered, with the few
  // before it; returns its number.
  uint32_t SendCommand(const ShipCommand& command);
  // Leaves the game, telling the server.
  void Leave();

  State GetState() const { return state_; }
  int Player() const { return player_; }
  const std::array<PlayerInfo, kMaxPlayers>& Players() const { return players_; }
  const Scores& LatestScores() const { return scores_; }
  float RoundLength() const { return roundLength_; }
  // Snapshots in the order they were taken, the newest last; at most
  // kSnapshotHistory.
  const std::deque<Snapshot>& Snapshots() const { return snapshots_; }
  // The server's word on this client's own ship with the newest snapshot,
  // and the number of the last command it had played then.
  const OwnShip& Own() const { return own_; }
  uint32_t OwnCommand() const { return ownCommand_; }
  // Whether a snapshot came since the last call.
  bool TakeFreshSnapshot();
  std::vector<WorldEvent> TakeEvents();
  uint64_t BytesSent() const { return host_.Raw() ? host_.BytesSent() : 0; }
  uint64_t BytesReceived() const { return host_.Raw() ? host_.BytesReceived() : 0; }

 private:
  bool OnPacket(const ENetPacket& packet, std::string& why);
  bool OnSnapshot(const SnapshotMessage& message, std::string& why);
  const Snapshot* Kept(uint32_t sequence) const;

  EnetHost host_;
  State state_ = State::kConnecting;
  std::string name_;
  uint8_t colour_ = 0;
  uint32_t levelChecksum_ = 0;
  std::string server_;
  int player_ = -1;
  float roundLength_ = 0.0f;
  std::array<PlayerInfo, kMaxPlayers> players_{};
  Scores scores_;
  std::deque<Snapshot> snapshots_;
  OwnShip own_;
  uint32_t ownCommand_ = 0;
  bool freshSnapshot_ = false;
  std::vector<WorldEvent> events_;
  uint32_t commandNumber_ = 0;
  std::deque<ShipCommand> recent_;  // the newest first
  std::string refusal_;             // the server's last word before it let go
};

}  // namespace net

#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/client.h"
#include "net/interpolation.h"
#include "net/prediction.h"
#include "net/server.h"
#include "world/round.h"
#include "world/ship_command.h"

class PlayerShip;
class World;

// One line of the scoreboard.
struct ScoreLine {
  int32_t player = 0;
  std::string name;
  PlayerTally tally;
  bool mine = false;
};

// A network game as the game plays it: either hosting, with a server in this
// process on the game's own world and this player as its first, or joined to
// a server elsewhere, with the world holding the level, this player's ship
// predicted and everything else drawn as the server last told it.
class NetSession {
 public:
  ~NetSession();

  // Hosts on `port`: `world` holds the level already, with this player's
  // ship first.
  static std::unique_ptr<NetSession> Host(World& world, uint16_t port, const std::string& name,
                                          uint8_t colour, float roundSeconds, uint32_t levelChecksum,
                                          std::string& error);
  // Joins the game at `host`:`port`; `world` holds the same level.
  static std::unique_ptr<NetSession> Join(World& world, const std::string& host, uint16_t port,
                                          const std::string& name, uint8_t colour,
                                          uint32_t levelChecksum, std::string& error);

  // Plays the fixed ticks due by `nowMs` with this player's `command`
  // (none while the menu is shown), and reads and sends what is due. The
  // world's events of these ticks are left in it for the game to play.
  // False once the game is over for this player, with the reason in `why`.
  bool Frame(uint32_t nowMs, const ShipCommand& command, std::string& why);
  // Draws other players' ships, the drones and the rockets a client knows of
  // only from snapshots.
  void DrawRemote() const;
  // Where the picture puts this player's ship, against where its
  // prediction has it: a correction, fading away.
  Vector3 ViewCorrection() const { return correction_; }
  // Leaves the game, telling the others.
  void Leave();

  bool Hosting() const { return server_ != nullptr; }
  bool Joined() const { return client_ != nullptr && client_->GetState() == net::GameClient::State::kPlaying; }
  int Player() const;
  std::vector<ScoreLine> Scoreboard() const;
  float TimeLeft() const;
  // True in the frame a round's end is first known.
  bool TakeRoundOver();
  const std::string& Address() const { return address_; }

 private:
  NetSession(World& world) : world_(world) {}
  bool HostFrame(uint32_t ticks, const ShipCommand& command);
  bool ClientFrame(uint32_t ticks, const ShipCommand& command, std::string& why);
  void SpawnEffects(const std::vector<WorldEvent>& events);

  World& world_;
  std::unique_ptr<net::GameServer> server_;
  std::unique_ptr<net::GameClient> client_;
  net::ShipPrediction prediction_;
  std::string address_;
  uint32_t startMs_ = 0;
  bool started_ = false;
  uint64_t ticksRun_ = 0;
  Vector3 correction_{0, 0, 0};
  uint32_t snapshotArrivedMs_ = 0;
  uint32_t lastFrameMs_ = 0;
  bool roundOver_ = false;
  bool roundOverTold_ = false;
  uint32_t nowMs_ = 0;
};

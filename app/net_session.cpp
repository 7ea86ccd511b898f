#include "app/net_session.h"

#include <algorithm>
#include <cmath>

#include "world/drone.h"
#include "world/explosion.h"
#include "world/player_ship.h"
#include "world/rocket.h"
#include "math/scalar_math.h"
#include "world/world.h"

namespace {

// A frame that falls further behind than this gives up the ticks it missed
// rather than run them all at once.
constexpr uint64_t kMostTicksAFrame = 8;
// A correction of the predicted ship fades to a tenth in about this long.
constexpr float kCorrectionFade = 0.1f;

// Steps what a client's world holds besides its ship: the explosions it
// makes from the server's events.
void UpdateEffects(World& world, float dt) {
  EntityList& entities = world.entities;
  for (size_t i = 1; i < entities.size();) {
    Entity* e = entities[i];
    if (!e->alive) {
      delete e;
      entities[i] = entities.back();
      entities.pop_back();
      continue;
    }
    e->Update(static_cast<uint32_t>(i), entities, dt);
    ++i;
  }
}

}  // namespace

NetSession::~NetSession() { Leave(); }

std::unique_ptr<NetSession> NetSession::Host(World& world, uint16_t port, const std::string& name,
                                             uint8_t colour, float roundSeconds,
                                             uint32_t levelChecksum, std::string& error) {
  std::unique_ptr<NetSession> session(new NetSession(world));
  net::ServerSettings settings;
  settings.port = port;
  settings.roundSeconds = roundSeconds;
  settings.levelChecksum = levelChecksum;
  session->server_ = std::make_unique<net::GameServer>(world, settings);
  if (!session->server_->Listen(error)) return nullptr;
  session->server_->AddLocalPlayer(name, colour);
  if (PlayerShip* ship = world.ShipOf(0)) ship->colour = colour;
  session->server_->log = [](const std::string& line) {
    std::fprintf(stderr, "driftwing: host: %s\n", line.c_str());
  };
  session->address_ = "port " + std::to_string(port);
  PlayerShip::viewer = 0;
  return session;
}

std::unique_ptr<NetSession> NetSession::Join(World& world, const std::string& host, uint16_t port,
                                             const std::string& name, uint8_t colour,
                                             uint32_t levelChecksum, std::string& error) {
  std::unique_ptr<NetSession> session(new NetSession(world));
  session->client_ = std::make_unique<net::GameClient>();
  if (!session->client_->Connect(host, port, name, colour, levelChecksum, error)) return nullptr;
  session->address_ = host + ":" + std::to_string(port);
  // The world holds this player's ship alone, to predict; the server's
  // drones and rockets are drawn from its snapshots.
  world.Restart();
  for (size_t i = world.entities.size(); i-- > 1;) {
    delete world.entities[i];
    world.entities.erase(world.entities.begin() + static_cast<long>(i));
  }
  if (PlayerShip* ship = world.ShipOf(0)) {
    ship->armed = false;
    ship->colour = colour;
  }
  return session;
}

int NetSession::Player() const {
  if (server_) return 0;
  return client_ ? client_->Player() : -1;
}

bool NetSession::Frame(uint32_t nowMs, const ShipCommand& command, std::string& why) {
  if (!started_) {
    started_ = true;
    startMs_ = nowMs;
    lastFrameMs_ = nowMs;
  }
  nowMs_ = nowMs;
  const float frameSeconds = static_cast<float>(nowMs - lastFrameMs_) * 0.001f;
  lastFrameMs_ = nowMs;
  correction_ = correction_ * std::exp(-frameSeconds / kCorrectionFade);
  const uint64_t due = static_cast<uint64_t>(nowMs - startMs_) * net::kTickRate / 1000;
  uint64_t ticks = due - ticksRun_;
  if (ticks > kMostTicksAFrame) {
    ticksRun_ = due - kMostTicksAFrame;
    ticks = kMostTicksAFrame;
  }
  ticksRun_ += ticks;
  return server_ ? HostFrame(static_cast<uint32_t>(ticks), command)
                 : ClientFrame(static_cast<uint32_t>(ticks), command, why);
}

bool NetSession::HostFrame(uint32_t ticks, const ShipCommand& command) {
  // Each tick starts the world's events afresh: this frame's are gathered
  // for the game to play.
  WorldEvents events;
  server_->Receive(0);
  for (uint32_t i = 0; i < ticks; ++i) {
    server_->SetLocalCommand(net::QuantizedCommand(command));
    server_->Tick();
    events.insert(events.end(), world_.events.begin(), world_.events.end());
  }
  world_.events = std::move(events);
  const bool over = server_->CurrentRound().Over();
  if (over && !roundOverTold_) roundOver_ = true;
  roundOverTold_ = over;
  return true;
}

bool NetSession::ClientFrame(uint32_t ticks, const ShipCommand& command, std::string& why) {
  if (!client_->Receive(0, why)) return false;
  PlayerShip* ship = world_.ShipOf(0);
  if (ship == nullptr && client_->Player() >= 0) ship = world_.ShipOf(client_->Player());
  const bool playing = client_->GetState() == net::GameClient::State::kPlaying;
  if (playing && ship && ship->player != client_->Player()) {
    // Welcomed: the ship takes this player's number and place.
    ship->player = client_->Player();
    ship->position = ship->home = world_.ShipHome(ship->player);
    PlayerShip::viewer = ship->player;
  }
  for (uint32_t i = 0; i < ticks; ++i) {
    const ShipCommand q = net::QuantizedCommand(command);
    const uint32_t number = client_->SendCommand(q);
    if (playing && ship) prediction_.Play(world_, *ship, number, q);
    UpdateEffects(world_, net::kTickSeconds);
  }
  if (client_->TakeFreshSnapshot()) {
    snapshotArrivedMs_ = nowMs_;
    if (ship) correction_ += prediction_.Correct(world_, *ship, client_->Own(), client_->OwnCommand());
  }
  const std::vector<WorldEvent> events = client_->TakeEvents();
  SpawnEffects(events);
  world_.events.insert(world_.events.end(), events.begin(), events.end());
  const bool over = client_->LatestScores().over;
  if (over && !roundOverTold_) roundOver_ = true;
  roundOverTold_ = over;
  return true;
}

void NetSession::SpawnEffects(const std::vector<WorldEvent>& events) {
  for (const WorldEvent& e : events) {
    if (e.kind == WorldEventKind::kExplosion || e.kind == WorldEventKind::kDroneDestroyed ||
        e.kind == WorldEventKind::kShipDestroyed) {
      world_.entities.push_back(new Explosion(Rocket::kExplosionMs, e.position));
    }
  }
}

void NetSession::DrawRemote() const {
  if (!client_ || client_->Snapshots().empty()) return;
  const float sinceNewest = static_cast<float>(nowMs_ - snapshotArrivedMs_) * 0.001f * net::kTickRate;
  const float tick = static_cast<float>(client_->Snapshots().back().sequence) +
                     std::min(sinceNewest, static_cast<float>(net::kTicksPerSnapshot)) -
                     net::kInterpolationTicks;
  // The models are drawn by entities posed as the snapshots have them.
  static PlayerShip shipPose;
  static Drone dronePose(-1, Vector3(0, 0, 0));
  static Rocket rocketPose(Vector3(0, 0, 0), nullptr);
  const auto& players = client_->Players();
  for (const net::DrawnEntity& e : net::EntitiesAt(client_->Snapshots(), tick)) {
    switch (e.kind) {
      case net::SnapshotKind::kShip: {
        if (e.owner == client_->Player()) break;
        shipPose.player = e.owner;
        shipPose.colour = e.owner < players.size() ? players[e.owner].colour : 0;
        shipPose.position = e.position;
        const float h = e.yaw * (kPi / 180.0f);
        shipPose.forward = Vector3(std::sin(h), 0.0f, -std::cos(h));
        shipPose.bank = e.bank;
        shipPose.tangible = (e.flags & net::kShipWrecked) == 0;
        // Shielded, it blinks as the server's own ship does: an eighth of a
        // second shown, an eighth hidden.
        shipPose.shieldLeft = (e.flags & net::kShipShielded) ? ((nowMs_ / 125) % 2 ? 0.2f : 0.1f) : 0.0f;
        shipPose.Draw();
        break;
      }
      case net::SnapshotKind::kDrone:
        dronePose.position = e.position;
        dronePose.Pose(e.yaw, e.bank);
        dronePose.Draw();
        break;
      case net::SnapshotKind::kRocket: {
        const float yaw = e.yaw * (kPi / 180.0f);
        const float pitch = e.pitch * (kPi / 180.0f);
        const Vector3 course(std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch));
        rocketPose.position = e.position;
        rocketPose.forward = -course;
        rocketPose.SetDirection(course);
        rocketPose.Draw();
        break;
      }
    }
  }
}

std::vector<ScoreLine> NetSession::Scoreboard() const {
  std::vector<ScoreLine> lines;
  if (server_) {
    const auto& players = server_->Players();
    const auto& tallies = server_->CurrentRound().Tallies();
    for (size_t i = 0; i < players.size(); ++i) {
      if (!players[i].welcomed) continue;
      lines.push_back(ScoreLine{static_cast<int32_t>(i), players[i].name,
                                i < tallies.size() ? tallies[i] : PlayerTally{}, i == 0});
    }
  } else if (client_) {
    const net::Scores& scores = client_->LatestScores();
    for (size_t i = 0; i < scores.players.size(); ++i) {
      const uint8_t p = scores.players[i];
      lines.push_back(ScoreLine{p, client_->Players()[p].name, scores.tallies[i], p == client_->Player()});
    }
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const ScoreLine& a, const ScoreLine& b) { return a.tally.score > b.tally.score; });
  return lines;
}

float NetSession::TimeLeft() const {
  if (server_) return server_->CurrentRound().TimeLeft();
  return client_ ? client_->LatestScores().timeLeft : 0.0f;
}

bool NetSession::TakeRoundOver() {
  const bool over = roundOver_;
  roundOver_ = false;
  return over;
}

void NetSession::Leave() {
  if (server_) {
    server_->Shut("the host has ended the game");
    server_.reset();
  }
  if (client_) {
    client_->Leave();
    client_.reset();
  }
  PlayerShip::viewer = 0;
}

#include "net/server.h"

#include <algorithm>

#include "net/game_record.h"
#include "world/player_ship.h"
#include "world/world.h"

namespace net {
namespace {

// The player a peer holds, kept in the peer.
ServerPlayer* PlayerOf(ENetPeer* peer) { return static_cast<ServerPlayer*>(peer->data); }

constexpr size_t kMostQueued = 8;  // more waiting commands than this: drop the oldest
constexpr uint32_t kScoresEveryTicks = kTickRate;

}  // namespace

GameServer::GameServer(World& world, const ServerSettings& settings)
    : world_(world), settings_(settings) {
  round_.Start(settings_.roundSeconds);
}

GameServer::~GameServer() {
  if (host_.Raw()) Shut("the server has stopped");
}

bool GameServer::Listen(std::string& error) {
  return host_.Listen(settings_.port, kMaxPlayers + 1, error);
}

void GameServer::Say(const std::string& line) {
  if (log) log(line);
}

int GameServer::IndexOf(const ServerPlayer& player) const {
  return static_cast<int>(&player - players_.data());
}

int GameServer::PlayerCount() const {
  return static_cast<int>(std::count_if(players_.begin(), players_.end(),
                                        [](const ServerPlayer& p) { return p.welcomed; }));
}

PlayerShip* GameServer::ShipOf(const ServerPlayer& player) const {
  return world_.ShipOf(IndexOf(player));
}

void GameServer::AddLocalPlayer(const std::string& name, uint8_t colour) {
  ServerPlayer& host = players_[0];
  host = ServerPlayer{};
  host.present = host.welcomed = host.local = true;
  host.name = CleanName(name);
  host.colour = colour;
  if (!world_.ShipOf(0)) world_.AddShip(0);
}

void GameServer::SetLocalCommand(const ShipCommand& command) {
  if (players_[0].local) players_[0].playing = command;
}

void GameServer::Receive(uint32_t waitMs) {
  if (!host_.Raw()) return;
  ENetEvent event;
  while (host_.Service(event, waitMs)) {
    waitMs = 0;
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT:
        OnConnect(event.peer);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        OnDisconnect(event.peer, event.data == 0 && PlayerOf(event.peer) != nullptr);
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        OnPacket(event.peer, *event.packet);
        enet_packet_destroy(event.packet);
        break;
      default:
        break;
    }
  }
}

void GameServer::OnConnect(ENetPeer* peer) {
  auto free = std::find_if(players_.begin(), players_.end(),
                           [](const ServerPlayer& p) { return !p.present; });
  if (free == players_.end()) {
    host_.Send(peer, kChannelReliable, Encode(Refused{"the server is full (" +
                                                      std::to_string(kMaxPlayers) + " players)"}));
    enet_peer_disconnect_later(peer, 1);
    Say("refused a player from " + std::to_string(peer->address.port) + ": the server is full");
    return;
  }
  *free = ServerPlayer{};
  free->present = true;
  free->peer = peer;
  peer->data = &*free;
  enet_peer_timeout(peer, 0, kTimeoutMs / 2, kTimeoutMs);
}

void GameServer::OnDisconnect(ENetPeer* peer, bool timedOut) {
  ServerPlayer* player = PlayerOf(peer);
  peer->data = nullptr;
  if (player == nullptr || !player->present) return;
  player->peer = nullptr;
  Leave(*player, timedOut ? "was lost (no word for " + std::to_string(kTimeoutMs / 1000) + " s)"
                          : "left");
}

void GameServer::Leave(ServerPlayer& player, const std::string& why) {
  if (player.welcomed) {
    if (recorder) recorder->Left(IndexOf(player));
    Say(player.name + " (player " + std::to_string(IndexOf(player)) + ") " + why);
    if (PlayerShip* ship = ShipOf(player)) ship->alive = false;
    PlayerNote note;
    note.player = static_cast<uint8_t>(IndexOf(player));
    note.present = false;
    note.name = player.name;
    if (host_.Raw()) host_.Broadcast(kChannelReliable, Encode(note));
  }
  player = ServerPlayer{};
}

void GameServer::Drop(ServerPlayer& player, const std::string& reason) {
  ENetPeer* peer = player.peer;
  Say("dropped " + (player.welcomed ? player.name : std::string("a player")) + ": " + reason);
  if (peer) {
    host_.Send(peer, kChannelReliable, Encode(Refused{reason}));
    enet_peer_disconnect_later(peer, 1);
    peer->data = nullptr;
  }
  player.peer = nullptr;
  Leave(player, "was dropped");
}

void GameServer::OnPacket(ENetPeer* peer, const ENetPacket& packet) {
  ServerPlayer* player = PlayerOf(peer);
  if (player == nullptr) return;  // already on its way out
  // A flood is hostile: more messages in a second than any client sends.
  const uint32_t now = enet_time_get();
  if (now - player->floodWindowStart >= 1000) {
    player->floodWindowStart = now;
    player->floodCount = 0;
  }
  if (++player->floodCount > kMaxMessagesPerSecond) {
    Drop(*player, "more than " + std::to_string(kMaxMessagesPerSecond) + " messages a second");
    return;
  }
  Message message;
  std::string error;
  if (!Decode(packet.data, packet.dataLength, message, error)) {
    Drop(*player, "a damaged message: " + error);
    return;
  }
  switch (message.type) {
    case MessageType::kHello:
      if (player->welcomed) {
        Drop(*player, "said hello twice");
        return;
      }
      OnHello(*player, message.hello);
      return;
    case MessageType::kCommands:
      if (!player->welcomed) {
        Drop(*player, "sent commands before saying hello");
        return;
      }
      OnCommands(*player, message.commands);
      return;
    default:
      Drop(*player, "sent a message only a server sends");
      return;
  }
}

void GameServer::OnHello(ServerPlayer& player, const Hello& hello) {
  if (hello.version != kProtocolVersion) {
    Drop(player, "protocol version " + std::to_string(hello.version) +
                     "; this server speaks version " + std::to_string(kProtocolVersion));
    return;
  }
  Welcome(player, hello.name, hello.colour);
}

void GameServer::Welcome(ServerPlayer& player, const std::string& name, uint8_t colour) {
  const int index = IndexOf(player);
  player.welcomed = true;
  player.name = CleanName(name);
  player.colour = colour % PlayerShip::kColours;
  PlayerShip* ship = world_.AddShip(index);
  ship->colour = player.colour;
  ship->shieldLeft = PlayerShip::kShieldSeconds;
  if (recorder) recorder->Joined(index, player.name, player.colour);
  Say(player.name + " joined as player " + std::to_string(index));
  if (player.peer == nullptr) return;

  net::Welcome welcome;
  welcome.player = static_cast<uint8_t>(index);
  welcome.levelChecksum = settings_.levelChecksum;
  welcome.tick = tick_;
  welcome.roundLength = round_.Length();
  host_.Send(player.peer, kChannelReliable, Encode(welcome));
  // Everyone hears of the newcomer, and the newcomer of everyone.
  for (size_t i = 0; i < players_.size(); ++i) {
    const ServerPlayer& other = players_[i];
    if (!other.welcomed) continue;
    PlayerNote note;
    note.player = static_cast<uint8_t>(i);
    note.present = true;
    note.name = other.name;
    note.colour = other.colour;
    if (&other == &player) {
      host_.Broadcast(kChannelReliable, Encode(note));
    } else {
      host_.Send(player.peer, kChannelReliable, Encode(note));
    }
  }
  nextScores_ = tick_;
}

void GameServer::OnCommands(ServerPlayer& player, const Commands& commands) {
  // The oldest first; numbers already had are repeats sent against loss.
  for (size_t i = commands.commands.size(); i-- > 0;) {
    const uint32_t number = commands.newest - static_cast<uint32_t>(i);
    if (number <= player.newestReceived) continue;
    player.queued.emplace_back(number, commands.commands[i]);
    player.newestReceived = number;
  }
  while (player.queued.size() > kMostQueued) player.queued.pop_front();
  if (commands.snapshotHeld <= tick_) player.snapshotHeld = commands.snapshotHeld;
}

void GameServer::PlayCommands() {
  RecordedTick moves;
  for (ServerPlayer& player : players_) {
    if (!player.welcomed) continue;
    PlayerShip* ship = ShipOf(player);
    if (ship == nullptr) continue;
    // Each of a client's commands moves its ship one tick, in order, as the
    // client's prediction moved it: while the next has not come, it waits.
    ship->held = !player.local && player.queued.empty();
    if (!player.local && !player.queued.empty()) {
      player.lastPlayed = player.queued.front().first;
      player.playing = player.queued.front().second;
      player.queued.pop_front();
    }
    ship->command = player.playing;
    if (!ship->held) moves.moves.emplace_back(static_cast<uint8_t>(IndexOf(player)), player.playing);
  }
  if (recorder) recorder->Tick(moves);
}

void GameServer::JoinRecorded(int player, const std::string& name, uint8_t colour) {
  if (player < 0 || player >= kMaxPlayers || players_[player].present) return;
  players_[player] = ServerPlayer{};
  players_[player].present = true;
  Welcome(players_[player], name, colour);
}

void GameServer::LeaveRecorded(int player) {
  if (player >= 0 && player < kMaxPlayers && players_[player].welcomed) Leave(players_[player], "left");
}

void GameServer::QueueRecorded(int player, const ShipCommand& command) {
  if (player < 0 || player >= kMaxPlayers || !players_[player].welcomed) return;
  ServerPlayer& p = players_[player];
  p.queued.emplace_back(++p.newestReceived, command);
}

void GameServer::Tick() {
  ++tick_;
  world_.events.clear();
  if (intermission_ > 0.0f) {
    intermission_ -= kTickSeconds;
    if (intermission_ <= 0.0f) StartRound();
  } else {
    PlayCommands();
    world_.Update(kTickSeconds);
    round_.Count(world_.events);
    LogScores();
    round_.Advance(kTickSeconds);
    if (round_.Over()) {
      intermission_ = kIntermissionSeconds;
      nextScores_ = tick_;
      Say("the round is over");
    }
  }
  ids_.Assign(world_);
  if (!host_.Raw()) return;
  SendEvents();
  if (tick_ >= nextScores_) SendScores();
  if (tick_ % kTicksPerSnapshot == 0) SendSnapshots();
  host_.Flush();
}

void GameServer::LogScores() {
  auto name = [this](int32_t player) {
    return player >= 0 && player < kMaxPlayers && players_[player].welcomed ? players_[player].name
                                                                            : std::string("a drone");
  };
  for (const WorldEvent& event : world_.events) {
    if (event.kind == WorldEventKind::kDroneDestroyed && event.shooter >= 0) {
      Say(name(event.shooter) + " destroyed a drone");
    } else if (event.kind == WorldEventKind::kShipDestroyed) {
      Say(name(event.target) + "'s ship was destroyed by " + name(event.shooter));
    }
  }
}

void GameServer::StartRound() {
  world_.Restart();
  for (size_t i = 0; i < players_.size(); ++i) {
    if (players_[i].welcomed && !world_.ShipOf(static_cast<int32_t>(i))) {
      world_.AddShip(static_cast<int32_t>(i));
    }
  }
  round_.Start(settings_.roundSeconds);
  nextScores_ = tick_;
  Say("a new round begins");
}

void GameServer::SendEvents() {
  Events batch;
  for (const WorldEvent& event : world_.events) {
    batch.list.push_back(event);
    if (batch.list.size() == kMaxEventsPerMessage) {
      host_.Broadcast(kChannelReliable, Encode(batch));
      batch.list.clear();
    }
  }
  if (!batch.list.empty()) host_.Broadcast(kChannelReliable, Encode(batch));
  // A tally changed: everyone sees the new scores at once.
  for (const WorldEvent& event : world_.events) {
    if (event.kind == WorldEventKind::kDroneDestroyed || event.kind == WorldEventKind::kShipDestroyed ||
        event.kind == WorldEventKind::kHit) {
      nextScores_ = tick_;
    }
  }
}

void GameServer::SendScores() {
  Scores scores;
  scores.timeLeft = round_.TimeLeft();
  scores.over = round_.Over();
  for (size_t i = 0; i < players_.size(); ++i) {
    if (!players_[i].welcomed) continue;
    scores.players.push_back(static_cast<uint8_t>(i));
    scores.tallies.push_back(i < round_.Tallies().size() ? round_.Tallies()[i] : PlayerTally{});
  }
  host_.Broadcast(kChannelReliable, Encode(scores));
  nextScores_ = tick_ + kScoresEveryTicks;
}

void GameServer::SendSnapshots() {
  Snapshot& now = history_[tick_ % kSnapshotHistory];
  now.sequence = tick_;
  now.entities = CaptureEntities(world_);
  for (ServerPlayer& player : players_) {
    if (!player.welcomed || player.local || player.peer == nullptr) continue;
    SnapshotMessage message;
    message.sequence = tick_;
    message.lastCommand = player.lastPlayed;
    // The difference from the newest snapshot the client says it has, if
    // that one is still kept here.
    static const std::vector<EntityState> kNothing;
    const std::vector<EntityState>* base = &kNothing;
    const uint32_t held = player.snapshotHeld;
    if (held != 0 && held < tick_ && tick_ - held < kSnapshotHistory &&
        history_[held % kSnapshotHistory].sequence == held) {
      message.base = held;
      base = &history_[held % kSnapshotHistory].entities;
    }
    if (const PlayerShip* ship = ShipOf(player)) message.own = CaptureOwnShip(*ship);
    host_.Send(player.peer, kChannelSnapshots, Encode(message, *base, now.entities));
  }
}

void GameServer::Shut(const std::string& reason) {
  if (!host_.Raw()) return;
  for (ServerPlayer& player : players_) {
    if (player.peer == nullptr) continue;
    host_.Send(player.peer, kChannelReliable, Encode(Refused{reason}));
    enet_peer_disconnect_later(player.peer, 1);
    player.peer->data = nullptr;
    player.peer = nullptr;
  }
  host_.Flush();
  // A moment for the goodbyes to leave.
  ENetEvent event;
  for (int i = 0; i < 10 && host_.Service(event, 10);) {
    if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
    ++i;
  }
}

}  // namespace net

#include "net/client.h"

#include <algorithm>

#include "assets/byte_reader.h"

namespace net {

bool GameClient::Connect(const std::string& host, uint16_t port, const std::string& name,
                         uint8_t colour, uint32_t levelChecksum, std::string& error) {
  name_ = CleanName(name);
  colour_ = colour;
  levelChecksum_ = levelChecksum;
  server_ = host + ":" + std::to_string(port);
  return host_.Connect(host, port, error);
}

bool GameClient::Receive(uint32_t waitMs, std::string& why) {
  if (state_ == State::kGone || !host_.Raw()) {
    if (why.empty()) why = "not connected";
    return false;
  }
  ENetEvent event;
  while (host_.Service(event, waitMs)) {
    waitMs = 0;
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT: {
        Hello hello;
        hello.name = name_;
        hello.colour = colour_;
        host_.Send(host_.Server(), kChannelReliable, Encode(hello));
        break;
      }
      case ENET_EVENT_TYPE_DISCONNECT:
        state_ = State::kGone;
        if (!refusal_.empty()) {
          why = "the server at " + server_ + " refused: " + refusal_;
        } else if (player_ < 0) {
          why = "no game answered at " + server_;
        } else {
          why = "connection to " + server_ + " lost";
        }
        return false;
      case ENET_EVENT_TYPE_RECEIVE: {
        const bool ok = OnPacket(*event.packet, why);
        enet_packet_destroy(event.packet);
        if (!ok) {
          state_ = State::kGone;
          enet_peer_disconnect(host_.Server(), 1);
          host_.Flush();
          return false;
        }
        break;
      }
      default:
        break;
    }
  }
  return true;
}

bool GameClient::OnPacket(const ENetPacket& packet, std::string& why) {
  Message m;
  std::string error;
  if (!Decode(packet.data, packet.dataLength, m, error)) {
    why = "the server at " + server_ + " sent a damaged message: " + error;
    return false;
  }
  switch (m.type) {
    case MessageType::kWelcome:
      if (m.welcome.version != kProtocolVersion) {
        why = "the server at " + server_ + " speaks protocol version " +
              std::to_string(m.welcome.version) + ", this game " + std::to_string(kProtocolVersion);
        return false;
      }
      if (levelChecksum_ != 0 && m.welcome.levelChecksum != levelChecksum_) {
        why = "the server at " + server_ + " plays another level than this game's map.wrl";
        return false;
      }
      player_ = m.welcome.player;
      roundLength_ = m.welcome.roundLength;
      state_ = State::kPlaying;
      return true;
    case MessageType::kRefused:
      refusal_ = m.refused.reason;
      return true;  // the disconnection follows
    case MessageType::kPlayer: {
      PlayerInfo& info = players_[m.player.player];
      info.present = m.player.present;
      info.name = m.player.name;
      info.colour = m.player.colour;
      return true;
    }
    case MessageType::kEvents:
      events_.insert(events_.end(), m.events.list.begin(), m.events.list.end());
      return true;
    case MessageType::kScores:
      scores_ = m.scores;
      return true;
    case MessageType::kSnapshot:
      return player_ < 0 || OnSnapshot(m.snapshot, why);
    default:
      why = "the server at " + server_ + " sent a message only a client sends";
      return false;
  }
}

const Snapshot* GameClient::Kept(uint32_t sequence) const {
  for (const Snapshot& s : snapshots_) {
    if (s.sequence == sequence) return &s;
  }
  return nullptr;
}

bool GameClient::OnSnapshot(const SnapshotMessage& message, std::string& why) {
  // Late ones are of no use once a newer one is here.
  if (!snapshots_.empty() && message.sequence <= snapshots_.back().sequence) return true;
  static const std::vector<EntityState> kNothing;
  const std::vector<EntityState>* base = &kNothing;
  if (message.base != 0) {
    const Snapshot* kept = Kept(message.base);
    if (kept == nullptr) return true;  // its base is gone here: wait for the next
    base = &kept->entities;
  }
  Snapshot snapshot;
  snapshot.sequence = message.sequence;
  ByteReader reader(message.delta);
  if (!ReadEntityDelta(reader, *base, snapshot.entities) || reader.Remaining() != 0) {
    why = "the server at " + server_ + " sent a damaged snapshot: " +
          (reader.Failed() ? reader.Error() : "bytes after its end");
    return false;
  }
  snapshots_.push_back(std::move(snapshot));
  while (snapshots_.size() > kSnapshotHistory) snapshots_.pop_front();
  own_ = message.own;
  ownCommand_ = message.lastCommand;
  freshSnapshot_ = true;
  return true;
}

uint32_t GameClient::SendCommand(const ShipCommand& command) {
  ++commandNumber_;
  recent_.push_front(QuantizedCommand(command));
  while (recent_.size() > kCommandsPerMessage) recent_.pop_back();
  if (state_ != State::kPlaying) return commandNumber_;
  Commands message;
  message.newest = commandNumber_;
  message.snapshotHeld = snapshots_.empty() ? 0 : snapshots_.back().sequence;
  const size_t count = std::min<size_t>(recent_.size(), commandNumber_);
  message.commands.assign(recent_.begin(), recent_.begin() + static_cast<long>(count));
  host_.Send(host_.Server(), kChannelCommands, Encode(message));
  host_.Flush();
  return commandNumber_;
}

bool GameClient::TakeFreshSnapshot() {
  const bool fresh = freshSnapshot_;
  freshSnapshot_ = false;
  return fresh;
}

std::vector<WorldEvent> GameClient::TakeEvents() {
  std::vector<WorldEvent> taken;
  taken.swap(events_);
  return taken;
}

void GameClient::Leave() {
  if (!host_.Raw() || state_ == State::kGone) return;
  enet_peer_disconnect(host_.Server(), 1);
  ENetEvent event;
  // A moment for the goodbye to be acknowledged; the server times out otherwise.
  for (int i = 0; i < 20 && host_.Service(event, 10); ++i) {
    if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
    if (event.type == ENET_EVENT_TYPE_DISCONNECT) break;
  }
  state_ = State::kGone;
}

}  // namespace net

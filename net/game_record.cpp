#include "net/game_record.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "assets/byte_reader.h"
#include "assets/byte_writer.h"
#include "net/messages.h"
#include "net/server.h"
#include "net/server_clock.h"
#include "platform/crc32.h"
#include "world/world.h"
#include "world/world_hash.h"

namespace net {
namespace {

enum Code : uint8_t { kCodeTick = 0x01, kCodeJoin = 0x02, kCodeLeave = 0x03, kCodeEnd = 0x0F };
constexpr size_t kHeaderSize = 8 + 2 + 2 + 8 + 4 + 1 + 4;
constexpr size_t kFlushBytes = 16 * 1024;

bool ReadMove(ByteReader& in, std::pair<uint8_t, ShipCommand>& move) {
  move.first = in.U8();
  const uint16_t pitch = in.U16();
  const uint16_t yaw = in.U16();
  move.second.controls = in.U8();
  if (in.Failed()) return false;
  if (move.first >= kMaxPlayers || (move.second.controls & ~kAllControls) != 0) {
    in.Fail("a move of player " + std::to_string(move.first) + " the game cannot make");
    return false;
  }
  move.second.pitch = AngleFromWire(static_cast<int16_t>(pitch));
  move.second.yaw = AngleFromWire(yaw);
  return true;
}

}  // namespace

bool GameRecorder::Open(const std::string& path, const GameRecordHeader& header,
                        std::string& error) {
  if (!file_.Open(path, {"map.wrl"}, error)) return false;
  ByteWriter out;
  out.Bytes(kGameRecordMagic, sizeof kGameRecordMagic);
  out.U16(kGameRecordVersion);
  out.U16(0);
  out.U32(static_cast<uint32_t>(header.seed));
  out.U32(static_cast<uint32_t>(header.seed >> 32));
  out.F32(header.roundSeconds);
  out.U8(header.dronesPlay ? 1 : 0);
  out.U32(header.levelChecksum);
  pending_ = std::move(out.Bytes());
  Flush(true);
  error = error_;
  return error_.empty();
}

void GameRecorder::Flush(bool force) {
  if (!error_.empty() || (!force && pending_.size() < kFlushBytes)) return;
  crc_ = Crc32(pending_.data(), pending_.size(), crc_);
  if (!file_.Write(pending_.data(), pending_.size(), error_)) return;
  pending_.clear();
}

void GameRecorder::Joined(int player, const std::string& name, uint8_t colour) {
  pending_.push_back(kCodeJoin);
  pending_.push_back(static_cast<uint8_t>(player));
  const size_t n = name.size() < kMaxNameLength ? name.size() : kMaxNameLength;
  pending_.push_back(static_cast<uint8_t>(n));
  pending_.insert(pending_.end(), name.begin(), name.begin() + static_cast<long>(n));
  pending_.push_back(colour);
}

void GameRecorder::Left(int player) {
  pending_.push_back(kCodeLeave);
  pending_.push_back(static_cast<uint8_t>(player));
}

void GameRecorder::Tick(const RecordedTick& tick) {
  ByteWriter out;
  out.U8(kCodeTick);
  out.Varint(static_cast<uint32_t>(tick.moves.size()));
  for (const auto& [player, command] : tick.moves) {
    out.U8(player);
    out.U16(AngleToWire(command.pitch));
    out.U16(AngleToWire(command.yaw));
    out.U8(command.controls);
  }
  pending_.insert(pending_.end(), out.Bytes().begin(), out.Bytes().end());
  ++ticks_;
  Flush(false);
}

bool GameRecorder::Finish(uint64_t worldHash, std::string& error) {
  ByteWriter out;
  out.U8(kCodeEnd);
  out.U32(ticks_);
  out.U32(static_cast<uint32_t>(worldHash));
  out.U32(static_cast<uint32_t>(worldHash >> 32));
  pending_.insert(pending_.end(), out.Bytes().begin(), out.Bytes().end());
  Flush(true);
  ByteWriter checksum;
  checksum.U32(crc_);
  if (error_.empty()) file_.Write(checksum.Bytes().data(), 4, error_);
  if (error_.empty()) file_.Commit(error_);
  error = error_;
  return error_.empty();
}

bool IsGameRecord(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= sizeof kGameRecordMagic &&
         std::memcmp(bytes.data(), kGameRecordMagic, sizeof kGameRecordMagic) == 0;
}

bool ReadGameRecord(ByteReader& reader, GameRecord& record) {
  record = GameRecord{};
  const size_t size = reader.Size();
  if (size < kHeaderSize + 4) {
    reader.Fail("too short for a recorded game (" + std::to_string(size) + " bytes)");
    return false;
  }
  const uint8_t* all = reader.Next(size - 4);
  if (all == nullptr) return false;
  const uint32_t stored = reader.U32();
  if (Crc32(all, size - 4) != stored) {
    reader.Fail("the recorded game fails its checksum: it is damaged");
    return false;
  }
  ByteReader in(all, size - 4);
  char magic[sizeof kGameRecordMagic];
  in.Bytes(magic, sizeof magic);
  if (std::memcmp(magic, kGameRecordMagic, sizeof magic) != 0) {
    reader.Fail("not a recorded game (it does not begin with \"DRIFTNET\")");
    return false;
  }
  const uint16_t version = in.U16();
  if (version != kGameRecordVersion || in.U16() != 0) {
    reader.Fail("recorded game version " + std::to_string(version) + ", this game plays version " +
                std::to_string(kGameRecordVersion));
    return false;
  }
  GameRecordHeader& h = record.header;
  h.seed = in.U32();
  h.seed |= static_cast<uint64_t>(in.U32()) << 32;
  h.roundSeconds = in.F32();
  const uint8_t drones = in.U8();
  h.levelChecksum = in.U32();
  if (!(h.roundSeconds >= 1.0f && h.roundSeconds <= 24.0f * 3600.0f) || drones > 1) {
    reader.Fail("a recorded game of an impossible round");
    return false;
  }
  h.dronesPlay = drones == 1;
  for (;;) {
    if (in.Remaining() == 0) {
      reader.Fail("the recorded game ends without its end mark");
      return false;
    }
    const uint8_t code = in.U8();
    GameRecord::Entry entry;
    switch (code) {
      case kCodeTick: {
        const uint32_t count = in.Varint();
        if (in.Failed()) break;
        if (count > kMaxPlayers) {
          in.Fail("a tick of " + std::to_string(count) + " moves");
          break;
        }
        entry.tick.moves.resize(count);
        for (auto& move : entry.tick.moves) {
          if (!ReadMove(in, move)) break;
        }
        record.entries.push_back(std::move(entry));
        ++record.ticks;
        break;
      }
      case kCodeJoin: {
        entry.kind = GameRecord::Kind::kJoin;
        entry.player = in.U8();
        const uint8_t n = in.U8();
        if (in.Failed()) break;
        if (entry.player >= kMaxPlayers || n > kMaxNameLength || !in.Expect(n, 1, "a name")) {
          if (!in.Failed()) in.Fail("a join of player " + std::to_string(entry.player));
          break;
        }
        entry.name.resize(n);
        in.Bytes(entry.name.data(), n);
        entry.colour = in.U8();
        record.entries.push_back(std::move(entry));
        break;
      }
      case kCodeLeave:
        entry.kind = GameRecord::Kind::kLeave;
        entry.player = in.U8();
        if (!in.Failed() && entry.player >= kMaxPlayers) in.Fail("a leave of player " + std::to_string(entry.player));
        record.entries.push_back(std::move(entry));
        break;
      case kCodeEnd: {
        const uint32_t ticks = in.U32();
        record.worldHash = in.U32();
        record.worldHash |= static_cast<uint64_t>(in.U32()) << 32;
        if (in.Failed()) break;
        if (ticks != record.ticks || in.Remaining() != 0) {
          reader.Fail("the recorded game's end mark does not fit what comes before it");
          return false;
        }
        return true;
      }
      default:
        in.Fail("unknown record " + std::to_string(code));
        break;
    }
    if (in.Failed()) {
      reader.Fail(in.Error());
      return false;
    }
  }
}

int ReplayGameRecord(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string error;
  GameRecord record;
  if (!ReadWholeFile(path.c_str(), bytes, error)) {
    std::fprintf(stderr, "driftwing: cannot replay %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  ByteReader reader(bytes);
  if (!ReadGameRecord(reader, record)) {
    std::fprintf(stderr, "driftwing: cannot replay %s: %s\n", path.c_str(), reader.Error().c_str());
    return 1;
  }
  std::vector<uint8_t> level;
  if (!ReadWholeFile("map.wrl", level, error)) {
    std::fprintf(stderr, "driftwing: cannot read the level map.wrl: %s\n", error.c_str());
    return 1;
  }
  if (Crc32(level.data(), level.size()) != record.header.levelChecksum) {
    std::fprintf(stderr, "driftwing: %s was played on another level than this map.wrl\n", path.c_str());
    return 1;
  }
  UseServerClock();
  World world;
  world.localShip = false;
  world.dronesPlay = record.header.dronesPlay;
  if (!world.Load("map.wrl", error)) {
    std::fprintf(stderr, "driftwing: cannot load the level %s\n", error.c_str());
    return 1;
  }
  gWorld = &world;
  world.random.Seed(record.header.seed);
  ServerSettings settings;
  settings.roundSeconds = record.header.roundSeconds;
  settings.levelChecksum = record.header.levelChecksum;
  GameServer server(world, settings);
  uint32_t tick = 0;
  for (const GameRecord::Entry& entry : record.entries) {
    switch (entry.kind) {
      case GameRecord::Kind::kJoin:
        server.JoinRecorded(entry.player, entry.name, entry.colour);
        break;
      case GameRecord::Kind::kLeave:
        server.LeaveRecorded(entry.player);
        break;
      case GameRecord::Kind::kTick:
        for (const auto& [player, command] : entry.tick.moves) server.QueueRecorded(player, command);
        SetServerTick(++tick);
        server.Tick();
        break;
    }
  }
  Fnv1a hash;
  AddWorld(hash, world);
  std::printf("world state hash: %016" PRIx64 "\n", hash.Value());
  gWorld = nullptr;
  if (hash.Value() != record.worldHash) {
    std::fprintf(stderr, "driftwing: the replay of %s left the recorded path: the server ended at %016" PRIx64 "\n",
                 path.c_str(), record.worldHash);
    return 1;
  }
  return 0;
}

}  // namespace net

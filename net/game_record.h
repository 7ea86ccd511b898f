#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "net/protocol.h"
#include "platform/file_writer.h"
#include "world/ship_command.h"

class ByteReader;

namespace net {

// A network game as its server played it: the players who came and went,
// and the command each player's ship was moved by in every tick. With the
// level and the seed that is all the world was made from, so a replay
// reproduces the whole game exactly, from every player's commands.
//
// File layout (little-endian): the 8 characters "DRIFTNET", u16 version
// (1), u16 flags (0), u64 seed, f32 round seconds, u8 drones (0 or 1), u32
// the level file's CRC-32; then records, each a code byte:
//   0x01 tick: varint count, then count x (u8 player, u16 pitch, u16 yaw,
//        u8 controls): the ships moved this tick; any other waited
//   0x02 join: u8 player, u8 name length, name, u8 colour
//   0x03 leave: u8 player
//   0x0F end: u32 ticks, u64 the world's hash at the end
// and the u32 CRC-32 of every byte before it.
constexpr char kGameRecordMagic[8] = {'D', 'R', 'I', 'F', 'T', 'N', 'E', 'T'};
constexpr uint16_t kGameRecordVersion = 1;

struct GameRecordHeader {
  uint64_t seed = 0;
  float roundSeconds = 0.0f;
  bool dronesPlay = true;
  uint32_t levelChecksum = 0;
};

// One tick's moves: the command of each player whose ship moved.
struct RecordedTick {
  std::vector<std::pair<uint8_t, ShipCommand>> moves;
};

// Writes a game as it is played, through the one file writer: a kill
// leaves the old file whole.
class GameRecorder {
 public:
  bool Open(const std::string& path, const GameRecordHeader& header, std::string& error);
  void Joined(int player, const std::string& name, uint8_t colour);
  void Left(int player);
  void Tick(const RecordedTick& tick);
  // Ends the record with the world's hash and puts it in place.
  bool Finish(uint64_t worldHash, std::string& error);
  // What went wrong writing it, if anything did.
  const std::string& Error() const { return error_; }

 private:
  void Flush(bool force);

  platform::FileWriter file_;
  std::vector<uint8_t> pending_;
  uint32_t crc_ = 0;
  uint32_t ticks_ = 0;
  std::string error_;
};

// A record read back, whole, for a replay.
struct GameRecord {
  GameRecordHeader header;
  enum class Kind : uint8_t { kTick, kJoin, kLeave };
  struct Entry {
    Kind kind = Kind::kTick;
    uint8_t player = 0;
    std::string name;
    uint8_t colour = 0;
    RecordedTick tick;
  };
  std::vector<Entry> entries;
  uint32_t ticks = 0;
  uint64_t worldHash = 0;
};

// True when `bytes` begin as a game record does.
bool IsGameRecord(const std::vector<uint8_t>& bytes);
// False, with the reason in the reader, for a record that is damaged, cut
// short, of another version or fails its checksum.
bool ReadGameRecord(ByteReader& reader, GameRecord& record);

// Replays the record at `path` on the working directory's level and prints
// the world's hash; returns the exit status (1 when it cannot be read, is
// for another level, or does not end where the server's did).
int ReplayGameRecord(const std::string& path);

}  // namespace net

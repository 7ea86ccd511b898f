#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "net/game_record.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace net;

// A small record: two players join, three ticks of moves, one leaves.
std::vector<uint8_t> Recorded(const TempDir& dir) {
  GameRecorder recorder;
  std::string error;
  EXPECT_TRUE(recorder.Open(dir.File("game.rec"), {42, 60.0f, true, 0xABCD}, error)) << error;
  recorder.Joined(0, "Ann", 2);
  recorder.Joined(3, "Bob", 7);
  for (int t = 0; t < 3; ++t) {
    RecordedTick tick;
    ShipCommand c;
    c.yaw = 10.0f * static_cast<float>(t);
    c.controls = kControlThrust | (t == 1 ? kControlFire : 0);
    tick.moves.emplace_back(0, c);
    if (t != 1) tick.moves.emplace_back(3, ShipCommand{});
    recorder.Tick(tick);
  }
  recorder.Left(3);
  EXPECT_TRUE(recorder.Finish(0x0123456789ABCDEFull, error)) << error;
  std::ifstream in(dir.File("game.rec"), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(GameRecord, ReadsBackWhatWasRecorded) {
  TempDir dir;
  const std::vector<uint8_t> bytes = Recorded(dir);
  ASSERT_TRUE(IsGameRecord(bytes));
  ByteReader reader(bytes);
  GameRecord record;
  ASSERT_TRUE(ReadGameRecord(reader, record)) << reader.Error();
  EXPECT_EQ(record.header.seed, 42u);
  EXPECT_EQ(record.header.levelChecksum, 0xABCDu);
  EXPECT_EQ(record.ticks, 3u);
  EXPECT_EQ(record.worldHash, 0x0123456789ABCDEFull);
  ASSERT_EQ(record.entries.size(), 6u);
  EXPECT_EQ(record.entries[1].name, "Bob");
  EXPECT_EQ(record.entries[1].colour, 7);
  const RecordedTick& second = record.entries[3].tick;
  ASSERT_EQ(second.moves.size(), 1u);  // player 3 waited
  EXPECT_EQ(second.moves[0].second.controls, kControlThrust | kControlFire);
  EXPECT_NEAR(second.moves[0].second.yaw, 10.0f, 0.01f);
  EXPECT_EQ(record.entries[5].kind, GameRecord::Kind::kLeave);
}

// Every single-bit flip is refused by the checksum, and a record cut short
// anywhere is refused too.
TEST(GameRecord, DamagedRecordsAreRefused) {
  TempDir dir;
  const std::vector<uint8_t> bytes = Recorded(dir);
  for (size_t bit = 0; bit < bytes.size() * 8; ++bit) {
    std::vector<uint8_t> flipped = bytes;
    flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    ByteReader reader(flipped);
    GameRecord record;
    ASSERT_FALSE(ReadGameRecord(reader, record)) << "bit " << bit;
  }
  for (size_t size = 0; size < bytes.size(); ++size) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
    ByteReader reader(cut);
    GameRecord record;
    ASSERT_FALSE(ReadGameRecord(reader, record)) << size;
  }
}

}  // namespace

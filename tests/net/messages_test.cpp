#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "assets/byte_writer.h"
#include "net/messages.h"

namespace {

using namespace net;

Message Decoded(const std::vector<uint8_t>& bytes) {
  Message m;
  std::string error;
  EXPECT_TRUE(Decode(bytes.data(), bytes.size(), m, error)) << error;
  return m;
}

TEST(Messages, EachRoundTrips) {
  Hello hello;
  hello.name = "Ann Other";
  hello.colour = 3;
  Message m = Decoded(Encode(hello));
  ASSERT_EQ(m.type, MessageType::kHello);
  EXPECT_EQ(m.hello.name, "Ann Other");
  EXPECT_EQ(m.hello.colour, 3);
  EXPECT_EQ(m.hello.version, kProtocolVersion);

  Commands commands;
  commands.newest = 10;
  commands.snapshotHeld = 44;
  for (int i = 0; i < 4; ++i) {
    ShipCommand c;
    c.pitch = -30.0f + i;
    c.yaw = 350.0f + i;  // past a turn: wraps
    c.controls = static_cast<uint8_t>(kControlThrust | (i == 2 ? kControlFire : 0));
    commands.commands.push_back(c);
  }
  m = Decoded(Encode(commands));
  ASSERT_EQ(m.commands.commands.size(), 4u);
  EXPECT_EQ(m.commands.newest, 10u);
  EXPECT_EQ(m.commands.snapshotHeld, 44u);
  for (int i = 0; i < 4; ++i) {
    const ShipCommand& c = m.commands.commands[i];
    EXPECT_NEAR(c.pitch, -30.0f + i, 0.01f);
    EXPECT_NEAR(std::fmod(c.yaw + 360.0f, 360.0f), std::fmod(350.0f + i, 360.0f), 0.01f);
    // What the server plays is what the client predicted with.
    const ShipCommand q = QuantizedCommand(commands.commands[i]);
    EXPECT_EQ(c.pitch, q.pitch);
    EXPECT_EQ(c.yaw, q.yaw);
    EXPECT_EQ(c.controls, q.controls);
  }

  Welcome welcome;
  welcome.player = 5;
  welcome.levelChecksum = 0xDEADBEEF;
  welcome.tick = 1234;
  welcome.roundLength = 180.0f;
  m = Decoded(Encode(welcome));
  EXPECT_EQ(m.welcome.player, 5);
  EXPECT_EQ(m.welcome.levelChecksum, 0xDEADBEEFu);
  EXPECT_EQ(m.welcome.tick, 1234u);

  m = Decoded(Encode(Refused{"the server is full"}));
  EXPECT_EQ(m.refused.reason, "the server is full");

  PlayerNote note;
  note.player = 7;
  note.present = true;
  note.name = "Bot";
  m = Decoded(Encode(note));
  EXPECT_EQ(m.player.player, 7);
  EXPECT_TRUE(m.player.present);

  Events events;
  events.list.push_back({WorldEventKind::kShipDestroyed, Vector3(10.5f, -2.25f, 300.125f), 2, 6});
  events.list.push_back({WorldEventKind::kHit, Vector3(0, 0, 0), -1, -1});
  m = Decoded(Encode(events));
  ASSERT_EQ(m.events.list.size(), 2u);
  EXPECT_EQ(m.events.list[0].kind, WorldEventKind::kShipDestroyed);
  EXPECT_FLOAT_EQ(m.events.list[0].position.z, 300.125f);
  EXPECT_EQ(m.events.list[0].shooter, 2);
  EXPECT_EQ(m.events.list[0].target, 6);
  EXPECT_EQ(m.events.list[1].shooter, -1);

  Scores scores;
  scores.timeLeft = 12.5f;
  scores.over = true;
  scores.players = {0, 3};
  scores.tallies = {PlayerTally{4, 20, 9, 1}, PlayerTally{0, 0, 0, 7}};
  m = Decoded(Encode(scores));
  ASSERT_EQ(m.scores.players.size(), 2u);
  EXPECT_TRUE(m.scores.over);
  EXPECT_EQ(m.scores.tallies[0].hits, 9);
  EXPECT_EQ(m.scores.tallies[1].losses, 7);
}

EntityState Entity(uint16_t id, int32_t x, SnapshotKind kind = SnapshotKind::kDrone) {
  EntityState e;
  e.id = id;
  e.kind = kind;
  e.x = x;
  e.y = 80;
  e.z = -x;
  e.yaw = static_cast<uint16_t>(x * 7);
  return e;
}

bool Same(const std::vector<EntityState>& a, const std::vector<EntityState>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const EntityState &x = a[i], &y = b[i];
    if (x.id != y.id || !x.SameLook(y) || x.x != y.x || x.y != y.y || x.z != y.z || x.yaw != y.yaw ||
        x.pitch != y.pitch || x.bank != y.bank) {
      return false;
    }
  }
  return true;
}

// Random worlds a tick apart: entities come, go, move and turn; each
// difference read onto its base gives the new world, and an unchanged
// world costs next to nothing.
TEST(Snapshots, DifferencesRebuildTheWorldExactly) {
  std::mt19937 random(11);
  std::vector<EntityState> base;
  for (int round = 0; round < 300; ++round) {
    std::vector<EntityState> now;
    uint16_t id = 1;
    for (const EntityState& e : base) {
      if (random() % 10 == 0) continue;  // gone
      EntityState moved = e;
      if (random() % 3) moved.x += static_cast<int32_t>(random() % 200) - 100;
      if (random() % 4 == 0) moved.yaw = static_cast<uint16_t>(random());
      if (random() % 20 == 0) moved.flags ^= kShipWrecked;
      now.push_back(moved);
      id = static_cast<uint16_t>(e.id + 1);
    }
    for (int n = random() % 4; n > 0; --n) now.push_back(Entity(id++, static_cast<int32_t>(random() % 100000)));
    ByteWriter out;
    WriteEntityDelta(out, base, now);
    ByteReader in(out.Bytes());
    std::vector<EntityState> read;
    ASSERT_TRUE(ReadEntityDelta(in, base, read)) << in.Error();
    EXPECT_EQ(in.Remaining(), 0u);
    ASSERT_TRUE(Same(read, now)) << round;
    base = now;
  }
  ByteWriter same;
  WriteEntityDelta(same, base, base);
  EXPECT_EQ(same.Size(), 2u);
}

// Every damaged message is refused, each with its reason.
TEST(Messages, DamagedOnesAreRefusedWithAReason) {
  using Bytes = std::vector<uint8_t>;
  auto hello = [] {
    Hello h;
    h.name = "Pilot";
    return Encode(h);
  };
  auto commands = [] {
    Commands c;
    c.newest = 5;
    c.commands.resize(2);
    return Encode(c);
  };
  auto events = [] {
    Events e;
    e.list.push_back({WorldEventKind::kHit, Vector3(0, 0, 0), 1, -1});
    return Encode(e);
  };
  auto scores = [] {
    Scores s;
    s.players = {1};
    s.tallies.resize(1);
    return Encode(s);
  };
  auto welcome = [] { return Encode(Welcome{kProtocolVersion, 1, 0, 0, 180.0f}); };
  const struct {
    const char* name;
    std::function<Bytes()> bytes;
    const char* reason;
  } cases[] = {
      {"empty", [] { return Bytes{}; }, "a message of 0 bytes"},
      {"too long", [] { return Bytes(kMaxMessageBytes + 1, 1); }, "1201 bytes"},
      {"unknown type", [] { return Bytes{99}; }, "unknown type 99"},
      {"hello cut short", [&] { Bytes b = hello(); b.resize(4); return b; }, "do not fit"},
      {"name too long", [] { Hello h; h.name = std::string(16, 'x'); Bytes b = Encode(h); b[3] = 17; return b; },
       "more than 16"},
      {"name not printable", [&] { Bytes b = hello(); b[4] = 7; return b; }, "not printable"},
      {"bytes after the end", [&] { Bytes b = hello(); b.push_back(0); return b; }, "after a message's end"},
      {"no commands", [&] { Bytes b = commands(); b[9] = 0; return b; }, "0 commands"},
      {"too many commands", [&] { Bytes b = commands(); b[9] = 9; return b; }, "9 commands"},
      {"a command before the first", [&] { Bytes b = commands(); b[1] = 1; return b; }, "commands"},
      {"looking past straight up", [&] { Bytes b = commands(); b[10] = 0x00; b[11] = 0x80; return b; },
       "further up or down"},
      {"unknown controls", [&] { Bytes b = commands(); b[14] = 0x80; return b; }, "controls"},
      {"welcome to player 9", [&] { Bytes b = welcome(); b[3] = 9; return b; }, "player 9"},
      {"round of no length", [] { return Encode(Welcome{kProtocolVersion, 1, 0, 0, 0.0f}); },
       "the round's length"},
      {"round of NaN", [] { return Encode(Welcome{kProtocolVersion, 1, 0, 0, NAN}); }, "the round's length"},
      {"no events", [&] { Bytes b = events(); b[1] = 0; return b; }, "0 events"},
      {"event of unknown kind", [&] { Bytes b = events(); b[2] = 40; return b; }, "unknown kind"},
      {"event by player 9", [&] { Bytes b = events(); b[6] = 9; return b; }, "unknown kind or player"},
      {"varint past 32 bits", [] { return Bytes{19, 1, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}; },
       "past 32 bits"},
      {"scores of 9 players", [&] { Bytes b = scores(); b[6] = 9; return b; }, "9 players"},
      {"tally out of range", [&] { Bytes b = scores(); b.resize(8); for (int i = 0; i < 4; ++i) { b.push_back(0xFF); b.push_back(0xFF); b.push_back(0x7F); } return b; },
       "a tally out of range"},
      {"negative time left", [] { Scores s; s.timeLeft = -1; return Encode(s); }, "the time left"},
      {"snapshot on an old base", [] { SnapshotMessage s; s.sequence = 100; s.base = 10; return Encode(s, {}, {}); },
       "cannot have kept"},
      {"own ship far away", [] { SnapshotMessage s; s.sequence = 2; s.own.present = true; s.own.position.x = 1e30f; return Encode(s, {}, {}); },
       "not in any level"},
      {"own ship not a number", [] { SnapshotMessage s; s.sequence = 2; s.own.present = true; s.own.velocity.y = NAN; return Encode(s, {}, {}); },
       "not in any level"},
      {"refusal too long", [] { Bytes b = Encode(Refused{"x"}); b[1] = 200; return b; }, "more than 160"},
      {"player note of player 8", [] { PlayerNote p; p.player = 8; p.name = "x"; return Encode(p); }, "player 8"},
  };
  for (const auto& c : cases) {
    const Bytes bytes = c.bytes();
    Message m;
    std::string error;
    EXPECT_FALSE(Decode(bytes.data(), bytes.size(), m, error)) << c.name;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
  }
}

TEST(Snapshots, DamagedDifferencesAreRefused) {
  const std::vector<EntityState> base = {Entity(3, 10), Entity(9, 20)};
  using Bytes = std::vector<uint8_t>;
  const struct {
    const char* name;
    Bytes bytes;
    const char* reason;
  } cases[] = {
      {"removes more than the base holds", {3, 3, 9, 10, 0}, "removes 3 of 2"},
      {"removes one the base lacks", {1, 4, 0}, "which its base lacks"},
      {"removes one twice", {2, 3, 3, 0}, "which its base lacks"},
      {"changes one the base lacks", {0, 1, 5, 2, 0, 0, 0}, "which its base lacks"},
      {"out of order", {0, 2, 9, 2, 0, 0, 0, 3, 2, 0, 0, 0}, "out of order"},
      {"no change", {0, 1, 9, 0}, "with no change"},
      {"of unknown kind", {0, 1, 40, 7, 9, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "unknown kind"},
      {"cut short", {0, 1, 9, 2, 4}, "unexpected end"},
      {"more entities than could be", {0, 0xFF, 0xFF, 0x03}, "entities"},
      {"moved out of any level", {0, 1, 9, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0, 0}, "out of any level"},
  };
  for (const auto& c : cases) {
    ByteReader in(c.bytes);
    std::vector<EntityState> now;
    EXPECT_FALSE(ReadEntityDelta(in, base, now)) << c.name;
    EXPECT_NE(in.Error().find(c.reason), std::string::npos) << c.name << ": " << in.Error();
  }
}

TEST(Names, ArePrintableAndShort) {
  EXPECT_TRUE(IsValidName("Ann"));
  EXPECT_FALSE(IsValidName(""));
  EXPECT_FALSE(IsValidName(std::string(17, 'a')));
  EXPECT_FALSE(IsValidName("tab\there"));
  EXPECT_EQ(CleanName("  bell\a and tab\t "), "bell and tab");
  EXPECT_EQ(CleanName(std::string(30, 'z')), std::string(16, 'z'));
  EXPECT_EQ(CleanName("\x01\x02"), "Pilot");
}

}  // namespace

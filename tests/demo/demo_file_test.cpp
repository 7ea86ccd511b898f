#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "demo/demo_file.h"
#include "demo/demo_session.h"
#include "platform/crc32.h"
#include "tests/support/damaged_file.h"

namespace {

// A small demo of two frames with every kind of record.
std::vector<uint8_t> SmallDemo() {
  DemoWriter w(99, 1024, 768);
  w.Tick(1000);
  w.Frame();
  w.Tick(1010);
  w.KeyRead({{SDLK_w, 1}});
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = 600;
  motion.motion.y = 300;
  w.Poll(&motion);
  w.Poll(nullptr);
  w.Pointer(DemoPointer{1, 612, 384});
  w.Frame();
  w.Tick(1500);
  w.KeyRead({});
  w.Pointer(DemoPointer{1, 612, 384});
  w.End();
  return w.Bytes();
}

std::string ReadError(const std::vector<uint8_t>& bytes) {
  ByteReader reader(bytes);
  Demo demo;
  if (ReadDemo(reader, demo)) return "";
  return reader.Error();
}

// The checksum of an edited demo made to match again, so that the damage
// reaches the record it is in.
std::string ReadResealed(const std::vector<uint8_t>& bytes) {
  Bytes b = bytes;
  if (b.size() >= 24) Put32(b, b.size() - 4, Crc32(b.data(), b.size() - 4));
  return ReadError(b);
}

TEST(DemoFile, EveryFlippedBitIsRefused) {
  const Bytes good = SmallDemo();
  ASSERT_EQ(ReadError(good), "");
  for (size_t at = 0; at < good.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      Bytes damaged = good;
      damaged[at] ^= static_cast<uint8_t>(1 << bit);
      // The magic, version and flags are read first; the checksum covers
      // the rest, itself included.
      const char* expected = at < 8    ? "not a Driftwing demo"
                             : at < 10 ? "version"
                             : at < 12 ? "flags"
                                       : "checksum does not match";
      EXPECT_NE(ReadError(damaged).find(expected), std::string::npos)
          << "byte " << at << ", bit " << bit << ": " << ReadError(damaged);
    }
  }
}

// A recorded game replayed (DemoReplay below) shows the records read back
// as written; here each damage, its checksum made to match, is refused with
// its reason.
TEST(DemoFile, DamagedDemosAreRefusedWithAReason) {
  const size_t header = 20;
  // The header, then these records, then room for the checksum.
  auto records = [header](std::vector<uint8_t> bytes) {
    return [header, bytes](Bytes& b) {
      b.resize(header);
      b.insert(b.end(), bytes.begin(), bytes.end());
      b.insert(b.end(), 4, 0);
    };
  };
  // A demo written afresh by `write`.
  auto written = [](std::function<void(DemoWriter&)> write) {
    return [write](Bytes& b) {
      DemoWriter w(1, 1024, 768);
      write(w);
      w.End();
      b = w.Bytes();
    };
  };
  ExpectEachRefused(
      SmallDemo(),
      {{"empty", [](Bytes& b) { b.clear(); }, "too short"},
       {"another format", [](Bytes& b) { b[0] = 'X'; }, "not a Driftwing demo"},
       {"a later version", [](Bytes& b) { b[8] = 3; }, "version 3"},
       {"version 1, without a checksum", [](Bytes& b) { b[8] = 1; },
        "recorded by an older version of the game (demo version 1)"},
       {"unknown flags", [](Bytes& b) { b[10] = 1; }, "flags"},
       {"no room for the checksum", [header](Bytes& b) { b.resize(header + 3); }, "too short"},
       {"cut short", [](Bytes& b) { b.resize(b.size() - 6); }, "end mark"},
       {"cut inside a record", [header](Bytes& b) { b.resize(header + 6); }, "unexpected end"},
       {"bytes after the end", [](Bytes& b) { b.push_back(0); }, "after the end mark"},
       {"wrong frame count", [](Bytes& b) { b[b.size() - 8] = 7; }, "counts 7 frames"},
       {"unknown record", records({0x40}), "unknown record 0x40"},
       {"no frames", written([](DemoWriter&) {}), "no frames"},
       {"key past the last",
        written([](DemoWriter& w) {
          w.Frame();
          w.KeyRead({{SDLK_LAST, 1}});
        }),
        "past the last key"},
       {"more key changes than bytes", records({0x01, 0x05, 0xC8, 0x01, 0, 0, 1}), "do not fit"},
       {"a number past 32 bits", records({0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), "past 32 bits"},
       {"unchanged pointer first", records({0x07}), "before any pointer"},
       {"pointer far outside",
        written([](DemoWriter& w) {
          w.Frame();
          w.Pointer(DemoPointer{0, 70000, 0});
        }),
        "far outside"},
       {"unknown event type", records({0x04, 40}), "unknown event type 40"},
       // Key 352.
       {"key event past the last key", records({0x04, SDL_KEYDOWN, 0, 1, 0, 0x60, 0x01, 0, 0, 0, 0}),
        "past the last key"}},
      ReadResealed);
}

TEST(DemoFile, TicksWrapAndLongStepsSurvive) {
  DemoWriter w(1, 640, 480);
  w.Tick(0xFFFFFFF0u);
  w.Frame();
  w.Tick(0xFFFFFFFFu);
  w.Tick(3);
  w.Tick(3 + 100000);
  w.End();
  ByteReader reader(w.Bytes());
  Demo demo;
  ASSERT_TRUE(ReadDemo(reader, demo)) << reader.Error();
  EXPECT_EQ(demo.ticks, (std::vector<uint32_t>{0xFFFFFFF0u, 0xFFFFFFFFu, 3, 100003}));
}

TEST(DemoFile, BytesTakenAsTheyComeMakeTheSameDemo) {
  auto record = [](bool stream) {
    DemoWriter w(5, 800, 600);
    Bytes out;
    for (uint32_t frame = 0; frame < 50; ++frame) {
      w.Frame();
      w.Tick(100 + 3 * frame * frame);
      w.Pointer(DemoPointer{0, static_cast<int32_t>(frame), 7});
      if (stream) {
        Bytes part = w.TakeBytes();
        out.insert(out.end(), part.begin(), part.end());
      }
    }
    w.End();
    out.insert(out.end(), w.Bytes().begin(), w.Bytes().end());
    return out;
  };
  EXPECT_EQ(record(true), record(false));
  EXPECT_EQ(ReadError(record(true)), "");
}

TEST(Timedemo, LineGivesFramesSecondsRateMedianAndP99) {
  std::vector<double> frames(100, 0.010);
  frames[3] = 0.050;
  frames[7] = 0.030;
  EXPECT_EQ(TimedemoLine(frames),
            "100 frames, 1.060 seconds: 94.3 fps (median 10.00 ms, p99 30.00 ms per frame)");
  const std::regex shape(
      R"(\d+ frames, \d+\.\d+ seconds: \d+\.\d fps \(median \d+\.\d\d ms, p99 \d+\.\d\d ms per frame\))");
  EXPECT_TRUE(std::regex_match(TimedemoLine({}), shape)) << TimedemoLine({});
}

// The play settings a demo keeps are read back as written; a demo without
// them has the defaults; a damaged record is refused with its reason.
TEST(DemoFile, PlaySettingsAreKeptAndCheckedLikeEveryRecord) {
  Settings play;
  play.mouseSensitivity = 9;
  play.invertLook = true;
  play.keys = {'t', 'g', 304, kBindMouseRight, kBindMouseLeft};
  play.roundSeconds = 45;
  play.drones = false;
  play.effectsVolume = 0;  // not a play setting: not kept
  auto demo = [&play](std::function<void(DemoWriter&)> before) {
    DemoWriter w(1, 1024, 768);
    before(w);
    w.Frame();
    w.Tick(5);
    w.End();
    return w.Bytes();
  };
  const Bytes withSettings = demo([&play](DemoWriter& w) { w.PlaySettings(play); });
  ByteReader reader(withSettings);
  Demo read;
  ASSERT_TRUE(ReadDemo(reader, read)) << reader.Error();
  Settings expected;
  CopyPlaySettings(play, expected);
  EXPECT_TRUE(read.playSettings == expected);
  const Bytes without = demo([](DemoWriter&) {});
  ByteReader plain(without);
  ASSERT_TRUE(ReadDemo(plain, read)) << plain.Error();
  EXPECT_TRUE(read.playSettings == Settings{});

  // The record's bytes: 0x09, sensitivity, invert, five keys, round, drones.
  auto record = [](std::vector<uint8_t> bytes) {
    return [bytes](Bytes& b) {
      DemoWriter w(1, 1024, 768);
      b = w.Bytes();
      b.insert(b.end(), bytes.begin(), bytes.end());
      const std::vector<uint8_t> rest = {0x01, 0x85, 0x0F, 1, 0, 0, 0, 0, 0, 0, 0};
      b.insert(b.end(), rest.begin(), rest.end());
    };
  };
  const std::vector<uint8_t> good = {0x09, 5, 0, 'w', 0, 's', 0, 'a', 0, 'd', 0, 0x01, 0x10,
                                     180, 0, 1};
  auto with = [&good](size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[at] = value;
    return bytes;
  };
  std::vector<uint8_t> twice = good;
  twice.insert(twice.end(), good.begin(), good.end());
  std::vector<uint8_t> late = {0x01};
  late.insert(late.end(), good.begin(), good.end());
  ExpectEachRefused(
      SmallDemo(),
      {{"sensitivity 0", record(with(1, 0)), "out of range"},
       {"sensitivity 11", record(with(1, 11)), "out of range"},
       {"invert 2", record(with(2, 2)), "out of range"},
       {"Escape bound", record(with(3, 27)), "cannot be bound"},
       {"a key past the last", record(with(4, 1)), "cannot be bound"},
       {"one key twice", record(with(5, 'w')), "two actions"},
       {"a round of no seconds", record(with(13, 0)), "out of range"},
       {"drones 2", record(with(15, 2)), "out of range"},
       {"twice", record(twice), "a second time"},
       {"after the first frame", record(late), "after the first frame"}},
      ReadResealed);
}

}  // namespace

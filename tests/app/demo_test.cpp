#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "app/demo.h"
#include "app/demo_file.h"
#include "app/game.h"
#include "assets/byte_reader.h"
#include "assets/static_assets.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"
#include "world/explosion.h"

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

TEST(DemoFile, ReadsBackWhatWasWritten) {
  std::vector<uint8_t> bytes = SmallDemo();
  ByteReader reader(bytes);
  Demo demo;
  ASSERT_TRUE(ReadDemo(reader, demo)) << reader.Error();
  EXPECT_EQ(demo.randomState, 99u);
  EXPECT_EQ(demo.FrameCount(), 2u);
  EXPECT_EQ(demo.ticks, (std::vector<uint32_t>{1000, 1010, 1500}));
  ASSERT_EQ(demo.polls.size(), 2u);
  EXPECT_EQ(demo.polls[0].event.motion.x, 600);
  EXPECT_FALSE(demo.polls[1].hasEvent);
  ASSERT_EQ(demo.pointers.size(), 2u);
  EXPECT_EQ(demo.pointers[1].x, 612);
  EXPECT_EQ(demo.frames[2].tick, 2u);
}

TEST(DemoFile, DamagedDemosAreRefusedWithAReason) {
  const std::vector<uint8_t> good = SmallDemo();
  const size_t header = 20;
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* reason;
  };
  const Case cases[] = {
      {"empty", [](auto& b) { b.clear(); }, "too short"},
      {"another format", [](auto& b) { b[0] = 'X'; }, "not a Driftwing demo"},
      {"a later version", [](auto& b) { b[8] = 2; }, "version 2"},
      {"unknown flags", [](auto& b) { b[10] = 1; }, "flags"},
      {"cut short", [](auto& b) { b.resize(b.size() - 6); }, "end mark"},
      {"cut inside a record", [&](auto& b) { b.resize(header + 2); }, "unexpected end"},
      {"bytes after the end", [](auto& b) { b.push_back(0); }, "after the end mark"},
      {"wrong frame count", [](auto& b) { b[b.size() - 4] = 7; }, "counts 7 frames"},
      {"unknown record", [&](auto& b) { b[header] = 0x40; }, "unknown record 0x40"},
      {"no frames",
       [](auto& b) {
         DemoWriter w(1, 1024, 768);
         w.End();
         b = w.Bytes();
       },
       "no frames"},
      {"key past the last",
       [](auto& b) {
         DemoWriter w(1, 1024, 768);
         w.Frame();
         w.KeyRead({{SDLK_LAST, 1}});
         w.End();
         b = w.Bytes();
       },
       "past the last key"},
      {"more key changes than bytes",
       [&](auto& b) {
         b.resize(header);
         b.insert(b.end(), {0x01, 0x05, 0xC8, 0x01, 0, 0, 1});  // 200 changes
       },
       "do not fit"},
      {"a number past 32 bits",
       [&](auto& b) {
         b.resize(header);
         b.insert(b.end(), {0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
       },
       "past 32 bits"},
      {"unchanged pointer first",
       [&](auto& b) {
         b.resize(header);
         b.push_back(0x07);
       },
       "before any pointer"},
      {"pointer far outside",
       [](auto& b) {
         DemoWriter w(1, 1024, 768);
         w.Frame();
         w.Pointer(DemoPointer{0, 70000, 0});
         w.End();
         b = w.Bytes();
       },
       "far outside"},
      {"unknown event type",
       [&](auto& b) {
         b.resize(header);
         b.insert(b.end(), {0x04, 40});
       },
       "unknown event type 40"},
      {"key event past the last key",
       [&](auto& b) {
         b.resize(header);
         b.insert(b.end(), {0x04, SDL_KEYDOWN, 0, 1, 0, 0x60, 0x01, 0, 0, 0, 0});  // key 352
       },
       "past the last key"},
  };
  ASSERT_EQ(ReadError(good), "");
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.damage(bytes);
    std::string error = ReadError(bytes);
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": \"" << error << "\"";
  }
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

// A game played through the input and clock seams, frame by frame.
class DemoReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    EnsureGlContext();
  }
  // Each start-up loads the sounds again; the game itself does it once.
  static void FreeSounds() {
    Mix_FreeChunk(gRocketSound);
    Mix_FreeChunk(gExplosionSound);
    gRocketSound = gExplosionSound = nullptr;
    // Each start-up opened the audio device; one left open at exit has its
    // thread call into a torn-down mixer.
    Mix_CloseAudio();
  }
  InDataDir inData;
};

// Where the main menu draws "Play Game", and the in-game menu "End Game".
constexpr int kPlayX = 590, kPlayY = 302;
constexpr int kEndX = 580, kEndY = 302;

// Plays one scripted session: the menu, a game with turning, driving,
// firing and an explosion, Escape, End Game, and another game.
struct Script {
  FakeClock& clock;
  ScriptedInput& input;
  Game& game;
  std::function<void()> beginFrame;
  size_t explosionsSeen = 0;

  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      clock.Advance(7);
      beginFrame();
      ASSERT_TRUE(game.LoopPass());
      for (const Entity* e : game.world.entities) {
        if (e->kind == kKindExplosion) ++explosionsSeen;
      }
    }
  }
  void Click(int x, int y) {
    input.QueueMotion(x, y);
    Frames(2);
    input.SetButtons(SDL_BUTTON(1));
    Frames(1);
    input.SetButtons(0);
    Frames(2);
  }
  void Run() {
    Frames(3);
    Click(kPlayX, kPlayY);
    ASSERT_EQ(game.state, kStatePlaying);
    Frames(20);  // the craft settles on the ground
    input.Hold(SDLK_w);
    input.SetPointer(512 + 40, 384);  // turn right while driving
    Frames(1);
    Frames(15);
    input.Hold(SDLK_w, false);
    for (int i = 0; i < 3; ++i) {  // look down at the ground
      input.SetPointer(512, 384 + 300);
      Frames(2);
    }
    input.SetButtons(SDL_BUTTON(1));
    Frames(2);
    input.SetButtons(0);
    Frames(40);
    input.Hold(SDLK_ESCAPE);
    Frames(1);
    input.Hold(SDLK_ESCAPE, false);
    ASSERT_EQ(game.state, kStateMenu);
    Frames(2);
    Click(kEndX, kEndY);
    ASSERT_FALSE(game.status.inProgress);
    Click(kPlayX, kPlayY);
    ASSERT_EQ(game.state, kStatePlaying);
    input.Hold(SDLK_d);
    Frames(10);
  }
};

TEST_F(DemoReplay, ARecordedGameReplaysToTheSameWorldTwice) {
  FakeClock clock(5000, 1);  // each read moves on a millisecond: waits end
  ScriptedInput input;
  SetParticleRandomState(4242);

  std::vector<uint8_t> bytes;
  uint64_t recorded = 0;
  size_t explosions = 0;
  {
    DemoRecorder recorder(ParticleRandomState(), 1024, 768);
    Game game;
    ASSERT_TRUE(game.Startup());
    game.StartLoop();
    Script script{clock, input, game, [&recorder] { recorder.BeginFrame(); }};
    script.Run();
    ASSERT_FALSE(HasFatalFailure());
    explosions = script.explosionsSeen;
    recorded = WorldStateHash(game.world, game.camera);
    bytes = recorder.Finish();
    FreeSounds();
  }
  EXPECT_GT(explosions, 0u) << "the rocket never exploded";

  for (int replay = 0; replay < 2; ++replay) {
    ByteReader reader(bytes);
    Demo demo;
    ASSERT_TRUE(ReadDemo(reader, demo)) << reader.Error();
    SetParticleRandomState(demo.randomState);
    DemoPlayer player(std::move(demo));
    Game game;
    ASSERT_TRUE(game.Startup());
    game.StartLoop();
    size_t frames = 0;
    while (player.BeginFrame()) {
      ASSERT_TRUE(game.LoopPass());
      ++frames;
    }
    EXPECT_EQ(frames, player.Recording().FrameCount());
    EXPECT_TRUE(player.InStep()) << player.StepError();
    EXPECT_EQ(WorldStateHash(game.world, game.camera), recorded) << "replay " << replay;
    FreeSounds();
  }
}

}  // namespace

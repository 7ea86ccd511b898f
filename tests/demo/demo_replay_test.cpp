#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/game.h"
#include "app/video.h"
#include "assets/byte_reader.h"
#include "assets/static_assets.h"
#include "demo/demo_file.h"
#include "demo/demo_session.h"
#include "platform/crc32.h"
#include "tests/support/damaged_file.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"
#include "tests/support/temp_dir.h"
#include "world/explosion.h"

namespace {

// Why `bytes` are not a demo; empty when they read as one.
std::string ReadError(const std::vector<uint8_t>& bytes) {
  ByteReader reader(bytes);
  Demo demo;
  if (ReadDemo(reader, demo)) return "";
  return reader.Error();
}

// The names in a folder.
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

Bytes Contents(const std::string& path) {
  Bytes bytes;
  std::string error;
  EXPECT_TRUE(ReadWholeFile(path.c_str(), bytes, error)) << path << ": " << error;
  return bytes;
}

std::string Text(const std::string& path) {
  Bytes bytes = Contents(path);
  return std::string(bytes.begin(), bytes.end());
}

// The game's recording as main() runs it, in a child process with a
// scripted player and clock and no window: DemoSession records into `path`
// until a signal stops it or `frames` have run (0: for ever). What the
// child prints goes to `log`; it exits 0 when the demo was kept, 1 when play
// stopped early without keeping it, 2 when it ran every frame and did not
// keep it, 3 when the file was refused; or dies by the signal that stopped
// it, as the game does.
pid_t StartRecording(const std::string& path, int frames, const std::string& log,
                     rlim_t fileLimit = RLIM_INFINITY) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out >= 0) {
    dup2(out, 1);
    dup2(out, 2);
  }
  if (fileLimit != RLIM_INFINITY) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
    struct rlimit limit = {fileLimit, fileLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  FakeClock clock(1000, 1);
  ScriptedInput input;
  DemoSession session;
  std::string error;
  if (!session.Open(path, "", "", error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    _exit(3);
  }
  session.Start(gScreenWidth, gScreenHeight);
  int frame = 0;
  for (; frames == 0 || frame < frames; ++frame) {
    if (!DemoFrameBegins()) break;
    input.SetPointer(frame % 640, frame % 480);
    input.Hold(SDLK_w, frame % 7 < 3);
    platform::Ticks();
    SDL_Event event;
    while (platform::PollEvent(&event)) {
    }
    platform::KeyState();
    platform::MouseState(nullptr, nullptr);
  }
  const bool kept = session.Finish(0);
  session.PassOnStopSignal();
  _exit(kept ? 0 : frame < frames ? 1 : 2);
}

// Waits for a child; its exit status, or 128 + the signal that ended it.
int Reap(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(DemoRecording, IsKeptOnlyWholeWhenKilledAtAnyMoment) {
  TempDir dir;
  const std::string target = dir.File("k.dem");
  const Bytes old = {'O', 'L', 'D', '\n'};
  std::mt19937 random(24);
  int newDemos = 0;
  for (int signal : {SIGKILL, SIGHUP}) {
    for (int round = 0; round < 20; ++round) {
      dir.Write("k.dem", old);
      pid_t pid = StartRecording(target, 0, dir.File("log"));
      std::this_thread::sleep_for(
          std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60000)(random)));
      kill(pid, signal);
      ASSERT_EQ(Reap(pid), 128 + signal) << "round " << round;
      std::vector<std::string> left = Listing(dir.path());
      left.erase(std::remove(left.begin(), left.end(), "log"), left.end());
      const std::string trace = "signal " + std::to_string(signal) + ", round " +
                                std::to_string(round) + ": " + Text(dir.File("log"));
      Bytes now = Contents(target);
      if (signal == SIGKILL) {
        // The old file as it was, and at most a temporary file that says
        // what it is.
        EXPECT_EQ(now, old) << trace;
        ASSERT_LE(left.size(), 2u) << trace;
        if (left.size() == 2) {
          EXPECT_EQ(left[1].rfind("k.dem.partial-", 0), 0u) << left[1];
          std::filesystem::remove(dir.File(left[1]));
        }
        continue;
      }
      // The recording so far, whole, or the old file when the signal came
      // before the first frame; never a temporary file.
      EXPECT_EQ(left, std::vector<std::string>{"k.dem"}) << trace;
      if (now == old) continue;
      ++newDemos;
      EXPECT_EQ(ReadError(now), "") << trace;
      EXPECT_NE(Text(dir.File("log")).find("the recording ended on SIGHUP"), std::string::npos)
          << trace;
    }
  }
  EXPECT_GT(newDemos, 0) << "no SIGHUP came during a recording";
}

TEST(DemoRecording, AFailingWriteStopsPlayAtOnceAndLeavesTheFileAsItWas) {
  TempDir dir;
  const Bytes old(100, 'x');
  dir.Write("k.dem", old);
  // A disk that takes 4 KB: the first frames are written, then play stops
  // long before its 100000 frames.
  pid_t pid = StartRecording(dir.File("k.dem"), 100000, dir.File("log"), 4096);
  EXPECT_EQ(Reap(pid), 1);
  EXPECT_NE(Text(dir.File("log")).find("the recording stopped: cannot write " + dir.File("k.dem") +
                                         ": File too large"),
            std::string::npos)
      << Text(dir.File("log"));
  EXPECT_EQ(Contents(dir.File("k.dem")), old);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"k.dem", "log"}));

  // The folder deleted while recording: found at the next frame.
  std::filesystem::create_directory(dir.File("gone"));
  FakeClock clock(1000, 1);
  ScriptedInput input;
  DemoSession session;
  std::string error;
  ASSERT_TRUE(session.Open(dir.File("gone/k.dem"), "", "", error)) << error;
  session.Start(gScreenWidth, gScreenHeight);
  EXPECT_TRUE(DemoFrameBegins());
  platform::Ticks();
  std::filesystem::remove_all(dir.File("gone"));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(DemoFrameBegins());
  EXPECT_FALSE(session.Finish(0));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("was removed while it was written"),
            std::string::npos);
}

// A game played through the input and clock seams, frame by frame.
class DemoReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    EnsureGlContext();
  }
  // Each start-up loads the sounds and opens the audio device again; the
  // game itself does it once and closes the device with SDL_Quit. Left open,
  // the device's thread can still be mixing while the test program exits.
  static void CloseSound() {
    ReleaseSounds();
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
    CloseSound();
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
    CloseSound();
  }
}

// A replay that leaves its recorded path fails both replay commands;
// the timedemo still prints its line.
TEST_F(DemoReplay, PlayAndTimedemoBothFailAReplayThatLeavesItsPath) {
  DemoWriter w(1, 1024, 768);
  w.Tick(1000);
  for (int frame = 0; frame < 3; ++frame) {
    w.Frame();
    w.Tick(1010 + 10 * frame);  // and no event polls, which the game makes
  }
  w.End();
  TempDir dir;
  dir.Write("off.dem", w.Bytes());
  for (bool timedemo : {false, true}) {
    DemoSession session;
    std::string error;
    const std::string path = dir.File("off.dem");
    ASSERT_TRUE(session.Open("", timedemo ? "" : path, timedemo ? path : "", error)) << error;
    session.Start(gScreenWidth, gScreenHeight);
    Game game;
    ASSERT_TRUE(game.Startup());
    game.StartLoop();
    while (game.LoopPass()) {
    }
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(session.Finish(WorldStateHash(game.world, game.camera))) << (timedemo ? "--timedemo" : "--play");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("left the recorded path"),
              std::string::npos);
    EXPECT_NE(out.find(timedemo ? " fps " : "world state hash"), std::string::npos) << out;
    CloseSound();
  }
}

// A demo replays with the play settings it was recorded with, whatever
// the settings in effect; a replay that ignored them would leave its path.
TEST_F(DemoReplay, ADemoReplaysWithTheSettingsItWasRecordedWith) {
  FakeClock clock(5000, 1);
  ScriptedInput input;
  const Settings saved = gSettings;
  Settings recordedWith;
  recordedWith.mouseSensitivity = 10;
  recordedWith.invertLook = true;
  recordedWith.keys[kBindThrust] = SDLK_d;  // the script's last key drives
  recordedWith.keys[kBindStrafeRight] = SDLK_w;
  SetParticleRandomState(77);
  std::vector<uint8_t> bytes;
  uint64_t recorded = 0;
  {
    gSettings = recordedWith;
    DemoRecorder recorder(ParticleRandomState(), 1024, 768, gSettings);
    Game game;
    ASSERT_TRUE(game.Startup());
    game.StartLoop();
    Script script{clock, input, game, [&recorder] { recorder.BeginFrame(); }};
    // Play: the craft settles, then D drives while the view turns and tilts.
    script.Frames(3);
    script.Click(kPlayX, kPlayY);
    ASSERT_EQ(game.state, kStatePlaying);
    script.Frames(20);
    input.Hold(SDLK_d);
    input.SetPointer(512 + 40, 384 + 20);
    script.Frames(16);
    input.Hold(SDLK_d, false);
    script.Frames(5);
    recorded = WorldStateHash(game.world, game.camera);
    bytes = recorder.Finish();
    CloseSound();
  }
  TempDir dir;
  dir.Write("set.dem", bytes);
  for (bool useRecorded : {true, false}) {
    gSettings = Settings{};
    DemoSession session;
    std::string error;
    ASSERT_TRUE(session.Open("", dir.File("set.dem"), "", error)) << error;
    if (useRecorded) {
      EXPECT_TRUE(session.UseRecordedSettings(gSettings, false));
      EXPECT_EQ(gSettings.keys[kBindThrust], SDLK_d);
    }
    session.Start(gScreenWidth, gScreenHeight);
    Game game;
    ASSERT_TRUE(game.Startup());
    game.StartLoop();
    while (game.LoopPass()) {
    }
    const uint64_t replayed = WorldStateHash(game.world, game.camera);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    session.Finish(WorldStateHash(game.world, game.camera));
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    if (useRecorded) {
      EXPECT_EQ(replayed, recorded);
    } else {
      EXPECT_NE(replayed, recorded) << "the settings made no difference to the script";
    }
    CloseSound();
  }
  DemoSession recording;
  std::string error;
  ASSERT_TRUE(recording.Open(dir.File("new.dem"), "", "", error)) << error;
  Settings untouched = recordedWith;
  EXPECT_FALSE(recording.UseRecordedSettings(untouched, false));
  EXPECT_TRUE(untouched == recordedWith);
  gSettings = saved;
}

}  // namespace

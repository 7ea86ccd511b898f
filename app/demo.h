#pragma once
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/demo_player.h"
#include "app/demo_recorder.h"

class Camera;
class Game;
class World;

// What the command line asked of demos (--record, --play, --timedemo), for
// one run of the game. Open it first; start it after the window opens and
// before the Game is made, so that start-up's reads are part of the demo.
class DemoSession {
 public:
  DemoSession() = default;
  ~DemoSession();
  DemoSession(const DemoSession&) = delete;
  DemoSession& operator=(const DemoSession&) = delete;

  // Reads the demo to replay, or makes sure the one to record can be
  // written. False, with the reason in `error`, when it cannot.
  bool Open(const std::string& recordPath, const std::string& playPath,
            const std::string& timedemoPath, std::string& error);
  // From here on the game's input and clock are recorded or replayed.
  void Start();
  // Called as each frame of the loop begins; false when a replay is over.
  bool BeginFrame();
  // After the loop: writes the recording, or prints the world's hash or the
  // timedemo's line. False when that failed or the replay left its path.
  bool Finish(const Game& game);

 private:
  enum Mode { kNone, kRecord, kPlay, kTimedemo };
  Mode mode_ = kNone;
  std::string path_;
  std::unique_ptr<DemoRecorder> recorder_;
  std::unique_ptr<DemoPlayer> player_;
  Demo demo_;  // read by Open, handed to the player by Start
  std::vector<double> frameSeconds_;
  std::chrono::steady_clock::time_point frameStart_;
  bool frameStarted_ = false;
  bool closed_ = false;  // the window was closed during a replay
};

// The loop's hook: true unless a demo being replayed has run out.
bool DemoFrameBegins();

// A hash of what a replay must reproduce: each entity's kind, position and
// velocity, and the camera's position and angles.
uint64_t WorldStateHash(const World& world, const Camera& camera);

// "<frames> frames, <seconds> seconds: <fps> fps (median <ms> ms, p99 <ms> ms
// per frame)" for the given frame times.
std::string TimedemoLine(const std::vector<double>& frameSeconds);

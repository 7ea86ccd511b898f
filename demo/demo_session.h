#pragma once
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "demo/demo_player.h"
#include "demo/demo_recorder.h"
#include "platform/file_writer.h"
#include "settings/settings.h"

// What the command line asked of demos (--record, --play, --timedemo), for
// one run of the game. Open it first; start it after the window opens and
// before the Game is made, so that start-up's reads are part of the demo.
class DemoSession {
 public:
  DemoSession() = default;
  ~DemoSession();
  DemoSession(const DemoSession&) = delete;
  DemoSession& operator=(const DemoSession&) = delete;

  // Reads the demo to replay, or checks the file to record into and opens
  // its temporary file beside it. False, with the reason in `error`, when
  // it cannot. Until Finish puts the recording in place the file itself is
  // never touched.
  bool Open(const std::string& recordPath, const std::string& playPath,
            const std::string& timedemoPath, std::string& error);
  // A replay plays with the settings its demo was recorded with (the
  // defaults when it keeps none) and, unless `keepSize`, at its recorded
  // size; nothing else changes. True when replaying.
  bool UseRecordedSettings(Settings& settings, bool keepSize) const;
  // From here on the game's input and clock are recorded or replayed, on a
  // screen of the size given (a recording keeps it; a replay on another
  // size says the view may turn differently). A
  // recording from here on ends with the frame when SIGINT, SIGTERM or
  // SIGHUP comes, and is kept.
  void Start(int screenWidth, int screenHeight);
  // Called as each frame of the loop begins; false when a replay is over, or
  // a recording has stopped: on a signal, or when its file cannot be written
  // (the reason is printed at once).
  bool BeginFrame();
  // After the loop: puts the recording in place, or prints the world's hash
  // or the timedemo's line. False when that failed or the replay left its
  // path.
  bool Finish(uint64_t worldHash);
  // When a signal stopped the recording: ends the program by it now, as it
  // would have ended without the recording.
  void PassOnStopSignal() const;

 private:
  enum Mode { kNone, kRecord, kPlay, kTimedemo };
  bool WriteRecorded();
  bool KeepRecording();
  void RestoreSignals();

  Mode mode_ = kNone;
  std::string path_;
  platform::FileWriter file_;  // the recording's temporary file
  bool writeFailed_ = false;
  int stopSignal_ = 0;
  bool signalsTaken_ = false;
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

// "<frames> frames, <seconds> seconds: <fps> fps (median <ms> ms, p99 <ms> ms
// per frame)" for the given frame times.
std::string TimedemoLine(const std::vector<double>& frameSeconds);

#include "demo/demo_session.h"

#include <SDL.h>
#include <signal.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstring>

#include "world/explosion.h"

namespace {

DemoSession* gActiveSession = nullptr;

// The signals that end a recording and keep it, and what they did before.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPreviousActions[3];
volatile sig_atomic_t gStopSignal = 0;

void NoteStopSignal(int number) { gStopSignal = number; }

const char* SignalName(int number) {
  switch (number) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "a signal";
  }
}

}  // namespace

DemoSession::~DemoSession() {
  if (gActiveSession == this) gActiveSession = nullptr;
  RestoreSignals();
}

bool DemoSession::Open(const std::string& recordPath, const std::string& playPath,
                       const std::string& timedemoPath, std::string& error) {
  if (!recordPath.empty()) {
    mode_ = kRecord;
    path_ = recordPath;
    // Refused at once rather than a whole session lost at the end; a FIFO
    // or device is refused without being opened, so nothing blocks.
    if (!file_.Open(path_, {}, error)) return false;
  } else if (!playPath.empty() || !timedemoPath.empty()) {
    mode_ = playPath.empty() ? kTimedemo : kPlay;
    path_ = playPath.empty() ? timedemoPath : playPath;
    std::string reason;
    if (!LoadDemo(path_.c_str(), demo_, reason)) {
      error = "cannot play the demo " + path_ + ": " + reason;
      return false;
    }
  }
  return true;
}

bool DemoSession::UseRecordedSettings(Settings& settings, bool keepSize) const {
  if (mode_ != kPlay && mode_ != kTimedemo) return false;
  CopyPlaySettings(demo_.playSettings, settings);
  if (!keepSize && demo_.screenWidth >= kMinWidth && demo_.screenHeight >= kMinHeight) {
    settings.width = demo_.screenWidth;
    settings.height = demo_.screenHeight;
  }
  return true;
}

void DemoSession::Start(int screenWidth, int screenHeight) {
  if (mode_ == kNone) return;
  if (mode_ == kRecord) {
    recorder_ = std::make_unique<DemoRecorder>(ParticleRandomState(), screenWidth, screenHeight,
                                               gSettings);
    // SA_RESTART: a signal must not fail a read or write elsewhere.
    gStopSignal = 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &action, &gPreviousActions[i]);
    signalsTaken_ = true;
  } else {
    if (demo_.screenWidth != screenWidth || demo_.screenHeight != screenHeight) {
      std::fprintf(stderr,
                   "driftwing: the demo %s was recorded at %dx%d, the screen is %dx%d: the "
                   "view may turn differently\n",
                   path_.c_str(), demo_.screenWidth, demo_.screenHeight, screenWidth,
                   screenHeight);
    }
    SetParticleRandomState(demo_.randomState);
    player_ = std::make_unique<DemoPlayer>(std::move(demo_));
    player_->SetRealTime(mode_ == kPlay);
  }
  gActiveSession = this;
}

bool DemoSession::BeginFrame() {
  if (recorder_) {
    if (writeFailed_) return false;
    if (gStopSignal != 0) {
      stopSignal_ = gStopSignal;
      return false;
    }
    // What the last frame read goes to the file now, so a failing disk
    // stops play at once and a killed game has lost almost nothing.
    if (!WriteRecorded()) return false;
    recorder_->BeginFrame();
    return true;
  }
  if (!player_) return true;
  auto now = std::chrono::steady_clock::now();
  if (frameStarted_) {
    frameSeconds_.push_back(std::chrono::duration<double>(now - frameStart_).count());
  }
  frameStart_ = now;
  frameStarted_ = true;
  // The real window's events are not the game's while it replays; a request
  // to close the window still ends the replay.
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) {
      closed_ = true;
      frameStarted_ = false;
    }
  }
  if (frameStarted_ && player_->BeginFrame()) return true;
  frameStarted_ = false;  // no frame runs: nothing more to time
  return false;
}

bool DemoSession::WriteRecorded() {
  const std::vector<uint8_t> bytes = recorder_->TakeBytes();
  std::string error;
  if (file_.Write(bytes.data(), bytes.size(), error)) return true;
  std::fprintf(stderr, "driftwing: the recording stopped: %s\n", error.c_str());
  writeFailed_ = true;
  return false;
}

bool DemoSession::KeepRecording() {
  // A write that failed was told when it happened; the file is as it was.
  const bool failed = writeFailed_;
  const uint32_t frames = recorder_->FrameCount();
  const std::vector<uint8_t> rest = recorder_->Finish();
  recorder_.reset();
  if (failed) return false;
  if (frames == 0) {
    std::fprintf(stderr,
                 "driftwing: the recording stopped before its first frame; %s is as it was\n",
                 path_.c_str());
    file_.Discard();
    return false;
  }
  std::string error;
  if (file_.Write(rest.data(), rest.size(), error) && file_.Commit(error)) return true;
  std::fprintf(stderr, "driftwing: the demo was not kept: %s\n", error.c_str());
  return false;
}

void DemoSession::RestoreSignals() {
  if (!signalsTaken_) return;
  for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &gPreviousActions[i], nullptr);
  signalsTaken_ = false;
}

void DemoSession::PassOnStopSignal() const {
  if (stopSignal_ == 0) return;
  std::fflush(stdout);
  signal(stopSignal_, SIG_DFL);
  raise(stopSignal_);
}

bool DemoSession::Finish(uint64_t hash) {
  if (gActiveSession == this) gActiveSession = nullptr;
  if (mode_ == kNone) return true;
  if (recorder_) {
    // Kept while the signals still only stop play: a second one cannot cut
    // the last write short.
    const bool kept = KeepRecording();
    if (stopSignal_ == 0) stopSignal_ = gStopSignal;
    RestoreSignals();
    if (!kept) return false;
    if (stopSignal_ != 0) {
      std::fprintf(stderr, "driftwing: the recording ended on %s; the demo is in %s\n",
                   SignalName(stopSignal_), path_.c_str());
    }
    std::printf("world state hash: %016" PRIx64 "\n", hash);
    return true;
  }
  if (!closed_) player_->CheckFinished();
  bool inStep = player_->InStep();
  if (!inStep) {
    std::fprintf(stderr, "driftwing: the replay of %s left the recorded path at %s\n",
                 path_.c_str(), player_->StepError().c_str());
  }
  if (mode_ == kTimedemo) {
    if (frameStarted_) {
      frameSeconds_.push_back(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - frameStart_).count());
    }
    std::printf("%s\n", TimedemoLine(frameSeconds_).c_str());
    player_.reset();
    return inStep;
  }
  std::printf("world state hash: %016" PRIx64 "\n", hash);
  player_.reset();
  return inStep;
}

bool DemoFrameBegins() { return gActiveSession ? gActiveSession->BeginFrame() : true; }

std::string TimedemoLine(const std::vector<double>& frameSeconds) {
  std::vector<double> sorted(frameSeconds);
  std::sort(sorted.begin(), sorted.end());
  double total = 0.0;
  for (double s : sorted) total += s;
  size_t n = sorted.size();
  double median = 0.0;
  double p99 = 0.0;
  if (n > 0) {
    median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) * 0.5;
    // Nearest rank: the smallest time that 99 % of the frames do not exceed.
    size_t rank = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(n)));
    p99 = sorted[rank == 0 ? 0 : rank - 1];
  }
  double fps = total > 0.0 ? static_cast<double>(n) / total : 0.0;
  char line[160];
  std::snprintf(line, sizeof line,
                "%zu frames, %.3f seconds: %.1f fps (median %.2f ms, p99 %.2f ms per frame)", n,
                total, fps, median * 1000.0, p99 * 1000.0);
  return line;
}

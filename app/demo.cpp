#include "app/demo.h"

#include <SDL.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cerrno>
#include <cstring>

#include "app/game.h"
#include "app/video.h"
#include "world/explosion.h"

namespace {

DemoSession* gActiveSession = nullptr;

class Fnv1a {
 public:
  void Add(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ p[i]) * 0x100000001b3ull;
  }
  void Add(float v) { Add(&v, sizeof v); }
  void Add(const Vector3& v) {
    Add(v.x);
    Add(v.y);
    Add(v.z);
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xcbf29ce484222325ull;
};

}  // namespace

DemoSession::~DemoSession() {
  if (gActiveSession == this) gActiveSession = nullptr;
}

bool DemoSession::Open(const std::string& recordPath, const std::string& playPath,
                       const std::string& timedemoPath, std::string& error) {
  if (!recordPath.empty()) {
    mode_ = kRecord;
    path_ = recordPath;
    // Refuse at once rather than lose a whole session at the end.
    std::FILE* probe = std::fopen(path_.c_str(), "wb");
    if (!probe) {
      error = "cannot write the demo " + path_ + ": " + std::strerror(errno);
      return false;
    }
    std::fclose(probe);
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

void DemoSession::Start() {
  if (mode_ == kNone) return;
  if (mode_ == kRecord) {
    recorder_ = std::make_unique<DemoRecorder>(ParticleRandomState(), gScreenWidth, gScreenHeight);
  } else {
    if (demo_.screenWidth != gScreenWidth || demo_.screenHeight != gScreenHeight) {
      std::fprintf(stderr,
                   "driftwing: the demo %s was recorded at %dx%d, the screen is %dx%d: the "
                   "view may turn differently\n",
                   path_.c_str(), demo_.screenWidth, demo_.screenHeight, gScreenWidth,
                   gScreenHeight);
    }
    SetParticleRandomState(demo_.randomState);
    player_ = std::make_unique<DemoPlayer>(std::move(demo_));
    player_->SetRealTime(mode_ == kPlay);
  }
  gActiveSession = this;
}

bool DemoSession::BeginFrame() {
  if (recorder_) recorder_->BeginFrame();
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

bool DemoSession::Finish(const Game& game) {
  if (gActiveSession == this) gActiveSession = nullptr;
  if (mode_ == kNone) return true;
  const uint64_t hash = WorldStateHash(game.world, game.camera);
  if (recorder_) {
    const std::vector<uint8_t>& bytes = recorder_->Finish();
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0) written = false;
    recorder_.reset();
    if (!written) {
      std::fprintf(stderr, "driftwing: cannot write the demo %s\n", path_.c_str());
      return false;
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
    return true;
  }
  std::printf("world state hash: %016" PRIx64 "\n", hash);
  player_.reset();
  return inStep;
}

bool DemoFrameBegins() { return gActiveSession ? gActiveSession->BeginFrame() : true; }

uint64_t WorldStateHash(const World& world, const Camera& camera) {
  Fnv1a h;
  uint64_t count = world.entities.size();
  h.Add(&count, sizeof count);
  for (const Entity* e : world.entities) {
    h.Add(&e->kind, sizeof e->kind);
    h.Add(e->position);
    h.Add(e->velocity);
  }
  h.Add(camera.position);
  h.Add(camera.pitch);
  h.Add(camera.yaw);
  h.Add(camera.roll);
  return h.Value();
}

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

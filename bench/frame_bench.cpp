// What a frame of play costs beside the cheapest frame the display allows:
// a bare clear-and-swap loop in a window of the game's size, then the game's
// timedemo of a recorded play on the default arena, in turns, in one run.
// Run it under the same X server as the game (Xvfb with Mesa's software
// renderer in CI): frame_bench [ROUNDS] [DEMO]
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits.h>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kClearFrames = 300;

struct Timing {
  double fps = 0.0;
  double medianMs = 0.0;
  double p99Ms = 0.0;
};

// The game's own window: full screen, double-buffered, 8-bit stencil, and
// the clear of a play frame.
bool ClearAndSwap(Timing& timing) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  if (!SDL_SetVideoMode(kWidth, kHeight, 32, SDL_OPENGL | SDL_FULLSCREEN)) {
    std::fprintf(stderr, "frame_bench: no %dx%d OpenGL window: %s\n", kWidth, kHeight,
                 SDL_GetError());
    SDL_Quit();
    return false;
  }
  std::vector<double> ms;
  auto last = std::chrono::steady_clock::now();
  for (int i = 0; i < kClearFrames; ++i) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glFlush();
    SDL_GL_SwapBuffers();
    auto now = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  }
  SDL_Quit();
  double total = 0.0;
  for (double m : ms) total += m;
  std::sort(ms.begin(), ms.end());
  timing.fps = 1000.0 * static_cast<double>(ms.size()) / total;
  timing.medianMs = ms[ms.size() / 2];
  timing.p99Ms = ms[ms.size() * 99 / 100];
  return true;
}

// Runs the game's timedemo and reads its closing line.
bool Timedemo(const std::string& demo, Timing& timing, std::string& line) {
  std::string command = std::string("cd '") + DRIFTWING_DATA_DIR + "' && SDL_AUDIODRIVER=dummy '" +
                        DRIFTWING_GAME + "' --timedemo '" + demo + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  char buffer[256];
  line.clear();
  while (std::fgets(buffer, sizeof buffer, pipe)) line = buffer;
  if (pclose(pipe) != 0) return false;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  unsigned long frames = 0;
  double seconds = 0.0;
  return std::sscanf(line.c_str(), "%lu frames, %lf seconds: %lf fps (median %lf ms, p99 %lf ms",
                     &frames, &seconds, &timing.fps, &timing.medianMs, &timing.p99Ms) == 5;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
  std::string demo = argc > 2 ? argv[2] : FRAME_BENCH_DEMO;
  // The game runs in its data folder: name the demo from the root.
  if (char* absolute = realpath(demo.c_str(), nullptr)) {
    demo = absolute;
    std::free(absolute);
  }
  if (rounds < 1) rounds = 1;
  // Turns of both, so a busy moment of a shared machine hits both alike;
  // each keeps its best round.
  Timing bestClear;
  Timing bestDemo;
  std::string bestLine;
  for (int round = 0; round < rounds; ++round) {
    Timing clear;
    Timing play;
    std::string line;
    if (!ClearAndSwap(clear)) return 1;
    if (!Timedemo(demo, play, line)) {
      std::fprintf(stderr, "frame_bench: the timedemo of %s failed (last line: \"%s\")\n",
                   demo.c_str(), line.c_str());
      return 1;
    }
    std::printf("round %d: clear-and-swap %.1f fps; timedemo %s\n", round + 1, clear.fps,
                line.c_str());
    if (clear.fps > bestClear.fps) bestClear = clear;
    if (play.fps > bestDemo.fps) {
      bestDemo = play;
      bestLine = line;
    }
  }
  std::printf("clear-and-swap %dx%d: %.1f fps (median %.2f ms, p99 %.2f ms per frame)\n", kWidth,
              kHeight, bestClear.fps, bestClear.medianMs, bestClear.p99Ms);
  std::printf("timedemo %s: %s\n", demo.c_str(), bestLine.c_str());
  std::printf("a frame of the demo costs %.2f clear-and-swap frames (median %.2f)\n",
              bestClear.fps / bestDemo.fps, bestDemo.medianMs / bestClear.medianMs);
  return 0;
}

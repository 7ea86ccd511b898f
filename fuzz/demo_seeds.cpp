// Writes a few small demos into the folder given on the command line, as
// the demo fuzzer's seed corpus: a start-up with menu frames, play with
// every kind of event, key changes and pointer moves under play settings
// of its own, and a wrapping clock.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo/demo_file.h"
#include "tools/common/byte_writer.h"

namespace {

bool Save(const std::string& path, const DemoWriter& writer) {
  std::string error;
  if (WriteFileBytes(path, writer.Bytes(), error)) return true;
  std::fprintf(stderr, "demo_seeds: %s\n", error.c_str());
  return false;
}

SDL_Event Event(uint8_t type) {
  SDL_Event e{};
  e.type = type;
  return e;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: demo_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];

  DemoWriter menu(1, 1024, 768);
  menu.Tick(1000);
  for (int frame = 0; frame < 3; ++frame) {
    menu.Frame();
    menu.Tick(1000 + 10 * frame);
    menu.KeyRead({});
    menu.Poll(nullptr);
    menu.Pointer(DemoPointer{0, 512, 384});
    menu.Tick(1001 + 10 * frame);
  }
  menu.End();

  DemoWriter play(12345, 1024, 768);
  Settings settings;
  settings.mouseSensitivity = 9;
  settings.invertLook = true;
  settings.keys = {'t', 'g', 304, kBindMouseRight, kBindMouseLeft};
  settings.roundSeconds = 45;
  settings.drones = false;
  play.PlaySettings(settings);
  play.Tick(5000);
  play.Frame();
  SDL_Event motion = Event(SDL_MOUSEMOTION);
  motion.motion.x = 600;
  motion.motion.y = 300;
  motion.motion.xrel = -12;
  play.Poll(&motion);
  SDL_Event key = Event(SDL_KEYDOWN);
  key.key.keysym.sym = SDLK_ESCAPE;
  play.Poll(&key);
  SDL_Event button = Event(SDL_MOUSEBUTTONDOWN);
  button.button.button = 1;
  play.Poll(&button);
  SDL_Event resize = Event(SDL_VIDEORESIZE);
  resize.resize.w = 800;
  resize.resize.h = 600;
  play.Poll(&resize);
  SDL_Event active = Event(SDL_ACTIVEEVENT);
  play.Poll(&active);
  SDL_Event quit = Event(SDL_QUIT);
  play.Poll(&quit);
  play.Poll(nullptr);
  play.KeyRead({{SDLK_w, 1}, {SDLK_ESCAPE, 1}});
  play.Pointer(DemoPointer{1, 700, 200});
  play.Pointer(DemoPointer{1, 700, 200});
  play.Tick(5300);
  play.Frame();
  play.KeyRead({{SDLK_ESCAPE, 0}});
  play.Tick(5301);
  play.End();

  DemoWriter wrap(7, 640, 480);
  wrap.Tick(0xFFFFFFF0u);
  wrap.Frame();
  wrap.Tick(0xFFFFFFFFu);
  wrap.Tick(3);
  wrap.Pointer(DemoPointer{4, -5, 70000 - 65536});
  wrap.End();

  bool ok = Save(dir + "/menu.dem", menu) && Save(dir + "/play.dem", play) &&
            Save(dir + "/wrap.dem", wrap);
  if (!ok) std::fprintf(stderr, "demo_seeds: cannot write into %s\n", dir.c_str());
  return ok ? 0 : 1;
}

#include "app/video.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/options.h"

int gScreenWidth = 1024;
int gScreenHeight = 768;
int gHalfWidth = 512;
int gHalfHeight = 384;
float gScreenWidthF = 1024.0f;
float gScreenHeightF = 768.0f;
int gScreenBpp = 32;

std::vector<VideoSize> gVideoSizes;

namespace {

constexpr VideoSize kSmallest{640, 480};
constexpr VideoSize kStandardSizes[] = {{640, 480}, {800, 600}, {1024, 768}};

uint32_t VideoFlags() { return SDL_OPENGL | (gOptions.window ? 0 : SDL_FULLSCREEN); }

// Notes on the standard error, so that standard output keeps only what the
// game is asked for (a demo's hash, a timedemo's figures).
void PrintVideoMode() {
  std::fprintf(stderr, "driftwing: video mode %d x %d, %s\n", gScreenWidth, gScreenHeight,
               gOptions.window ? "in a window" : "full screen");
}

void PrintVideoSizes() {
  std::string list;
  for (const VideoSize& size : gVideoSizes) {
    if (!list.empty()) list += ", ";
    list += std::to_string(size.width) + " x " + std::to_string(size.height);
  }
  std::fprintf(stderr, "driftwing: sizes offered: %s\n", list.c_str());
}

// SDL falls back to a driver that draws where no one sees when it reaches
// no display: a game running unseen is never what a player wants, so such
// a driver serves only when SDL_VIDEODRIVER asks for it.
bool ReachedNoDisplay(std::string& error) {
  char name[32] = "";
  if (SDL_VideoDriverName(name, sizeof name) == nullptr) return false;
  const std::string driver = name;
  if (driver != "offscreen" && driver != "dummy") return false;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if (asked != nullptr && asked[0] != '\0') return false;
  const char* display = std::getenv("DISPLAY");
  const std::string named =
      display != nullptr && display[0] != '\0' ? "\"" + std::string(display) + "\"" : "not set";
  error = "cannot open a window: no display could be reached (DISPLAY is " + named + ")";
  return true;
}

// Full screen, SDL 2 (under sdl12-compat) makes the window at the mode's
// size and asks the window manager to stretch it over the screen, while it
// already counts the window as the screen's size. With no window manager
// to do so, a 1024 x 768 window stayed at +128+128 of a 1280 x 1024 screen
// and the picture was scaled for a window it did not have: 1.25 times too
// large, cut at the top and right, with the pointer read 270 px off. The
// window is therefore made at the desktop's own size first, where it covers
// the screen whether or not anyone stretches it; later modes keep that
// window and are scaled into it.
void OpenFullScreenWindow() {
  const SDL_VideoInfo* desktop = SDL_GetVideoInfo();  // before any mode: the desktop's
  if (desktop == nullptr || desktop->current_w <= 0 || desktop->current_h <= 0) return;
  if (desktop->current_w == gScreenWidth && desktop->current_h == gScreenHeight) return;
  SDL_SetVideoMode(desktop->current_w, desktop->current_h, gScreenBpp, VideoFlags());
}

}  // namespace

std::vector<VideoSize> VideoSizesFrom(SDL_Rect** modes) {
  std::vector<VideoSize> sizes(std::begin(kStandardSizes), std::end(kStandardSizes));
  if (modes != nullptr && modes != reinterpret_cast<SDL_Rect**>(-1)) {
    for (int i = 0; modes[i] != nullptr; ++i) {
      // Below 640 x 480 the menu's text and the HUD no longer fit.
      if (modes[i]->w < kSmallest.width || modes[i]->h < kSmallest.height) continue;
      sizes.push_back({modes[i]->w, modes[i]->h});
    }
  }
  auto smaller = [](const VideoSize& a, const VideoSize& b) {
    return a.width != b.width ? a.width < b.width : a.height < b.height;
  };
  std::sort(sizes.begin(), sizes.end(), smaller);
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  return sizes;
}

VideoSize NextVideoSize(const std::vector<VideoSize>& sizes, VideoSize current) {
  if (sizes.empty()) return current;
  for (const VideoSize& size : sizes) {
    if (size.width > current.width ||
        (size.width == current.width && size.height > current.height)) {
      return size;
    }
  }
  return sizes.front();
}

// sdl12-compat (1.2.60) keeps the window and the GL context across a mode
// change, so textures, display lists and the fixed state survive. Full screen
// it keeps the desktop's own mode: the picture is drawn into a frame buffer
// of the mode's size, scaled at every swap to fit the window SDL believes
// covers the screen (keeping its proportions), and the pointer is reported in
// the picture's pixels, so drawing and hit boxes agree at every size as long
// as the window really covers the screen (see OpenFullScreenWindow).
bool ChangeVideoMode(int width, int height) {
  if (width != gScreenWidth || height != gScreenHeight) {
    SDL_Surface* screen = SDL_SetVideoMode(width, height, gScreenBpp, VideoFlags());
    if (!screen) {
      std::fprintf(stderr,
                   "driftwing: cannot change the video mode to %d x %d: %s; keeping %d x %d\n",
                   width, height, SDL_GetError(), gScreenWidth, gScreenHeight);
      // Should the failed attempt have taken the old mode down, bring it back.
      SDL_Surface* current = SDL_GetVideoSurface();
      if (!current || current->w != gScreenWidth || current->h != gScreenHeight) {
        SDL_SetVideoMode(gScreenWidth, gScreenHeight, gScreenBpp, VideoFlags());
      }
      return false;
    }
    // The mode may differ from the one asked for; what is on screen counts.
    width = screen->w;
    height = screen->h;
  }
  SetScreenSize(width, height);
  PrintVideoMode();
  return true;
}

bool InitVideo(std::string& error) {
  if (ReachedNoDisplay(error)) return false;
  gVideoSizes = VideoSizesFrom(SDL_ListModes(nullptr, SDL_OPENGL | SDL_FULLSCREEN));
  PrintVideoSizes();
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  VideoSize wanted{gScreenWidth, gScreenHeight};
  if (gOptions.windowWidth > 0) {
    wanted = {gOptions.windowWidth, gOptions.windowHeight};
  }
  if (!gOptions.window) OpenFullScreenWindow();
  SDL_Surface* screen = SDL_SetVideoMode(wanted.width, wanted.height, gScreenBpp, VideoFlags());
  if (!screen) {
    // Without a window nothing else can run; say so rather than draw into nothing.
    error = "cannot open a " + std::to_string(wanted.width) + "x" + std::to_string(wanted.height) +
            " OpenGL window: " + SDL_GetError();
    return false;
  }
  SDL_WM_SetCaption("Driftwing", "Driftwing");
  SetScreenSize(screen->w, screen->h);
  InitProjection(gScreenWidth, gScreenHeight);
  PrintVideoMode();
  return true;
}

void SetPerspective(int width, int height, double farPlane) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  double aspect = static_cast<double>(static_cast<unsigned>(width)) /
                  static_cast<double>(static_cast<unsigned>(height));
  gluPerspective(45.0, aspect, 1.0, farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void InitProjection(int width, int height) { SetPerspective(width, height, 100000.0); }

void SetScreenSize(int width, int height) {
  gScreenWidth = width;
  gScreenHeight = height;
  gHalfWidth = width >> 1;
  gHalfHeight = height >> 1;
  gScreenWidthF = static_cast<float>(width);
  gScreenHeightF = static_cast<float>(height);
  glViewport(0, 0, width, height);
}

void ApplyStandardLight() {
  static const float kPosition[4] = {0.2f, 8.0f, 0.0f, 0.0f};
  static const float kAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  static const float kDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  static const float kSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, kPosition);
  glLightfv(GL_LIGHT0, GL_AMBIENT, kAmbient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, kDiffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, kSpecular);
  glEnable(GL_LIGHT0);
}

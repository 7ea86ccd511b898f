#include "tests/support/gl_context.h"

#include <SDL.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

void EnsureGlContext() {
  static bool ready = false;
  if (ready) return;
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "GL tests need an X display: run them through scripts/test.sh\n");
    std::abort();
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    std::abort();
  }
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  if (!SDL_SetVideoMode(1024, 768, 32, SDL_OPENGL)) {
    std::fprintf(stderr, "SDL_SetVideoMode: %s\n", SDL_GetError());
    std::abort();
  }
  ready = true;
}

std::vector<uint8_t> ReadPixels(int x, int y, int width, int height) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

std::array<uint8_t, 3> ReadPixel(int x, int y) {
  const std::vector<uint8_t> rgba = ReadPixels(x, y, 1, 1);
  return {rgba[0], rgba[1], rgba[2]};
}

std::string DataDir() { return DRIFTWING_DATA_DIR; }

InDataDir::InDataDir() {
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd)) previous_ = cwd;
  if (chdir(DRIFTWING_DATA_DIR) != 0) std::abort();
}

InDataDir::~InDataDir() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::abort();
}

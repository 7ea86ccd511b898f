#pragma once
#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <string>

// A real OpenGL context in a 1024x768 window on the test's X display
// (Xvfb with Mesa's software renderer). Made once per test program.
void EnsureGlContext();

// The colour of one pixel of the back buffer, read before any swap;
// (0, 0) is the bottom-left corner.
std::array<uint8_t, 3> ReadPixel(int x, int y);

// The folder the build writes the game's content into.
std::string DataDir();

// Runs the rest of a test inside the content folder, as the game does.
class InDataDir {
 public:
  InDataDir();
  ~InDataDir();
  InDataDir(const InDataDir&) = delete;
  InDataDir& operator=(const InDataDir&) = delete;

 private:
  std::string previous_;
};

#pragma once
#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A real OpenGL context in a 1024x768 window on the test's X display
// (Xvfb with Mesa's software renderer). Made once per test program.
void EnsureGlContext();

// Pixels of the back buffer, read before any swap, as RGBA rows from the
// bottom; (0, 0) is the bottom-left corner.
std::vector<uint8_t> ReadPixels(int x, int y, int width, int height);
// The colour of one pixel.
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

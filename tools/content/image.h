#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "math/scalar_math.h"

// A linear colour with float channels, nominally 0 to 1.
struct Colour {
  float r = 0, g = 0, b = 0;

  Colour() = default;
  constexpr Colour(float r_, float g_, float b_) : r(r_), g(g_), b(b_) {}
  Colour operator+(const Colour& o) const { return {r + o.r, g + o.g, b + o.b}; }
  Colour operator-(const Colour& o) const { return {r - o.r, g - o.g, b - o.b}; }
  Colour operator*(float s) const { return {r * s, g * s, b * s}; }
  Colour operator*(const Colour& o) const { return {r * o.r, g * o.g, b * o.b}; }
};

Colour Mix(const Colour& a, const Colour& b, float t);
// 0xRRGGBB.
Colour Hex(uint32_t rgb);

float Clamp01(float v);
float Lerp(float a, float b, float t);

// A picture being painted. (x, y) with y = 0 the bottom row, which is
// texture t = 0 and the first row a bitmap stores.
class Image {
 public:
  Image(int width, int height, Colour fill = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  Colour& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Colour& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  // Wraps coordinates, for tileable painting.
  Colour& Wrapped(int x, int y);

  // Calls paint(x, y, u, v) for every pixel, u and v at pixel centres in 0..1.
  template <typename Paint>
  void ForEach(Paint paint) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        paint(At(x, y), (x + 0.5f) / width_, (y + 0.5f) / height_);
      }
    }
  }

  // 8-bit R, G, B rows. The game loads most bitmaps with pure black as the
  // transparent colour, so unless `keepBlack` a pixel that would be pure
  // black is lifted to (1, 1, 1).
  std::vector<uint8_t> ToRgb8(bool keepBlack = false) const;

 private:
  int width_;
  int height_;
  std::vector<Colour> pixels_;
};

// Writes the image as a 24-bit bitmap.
bool SaveBitmap(const Image& image, const std::string& path, bool keepBlack, std::string& error);

#include "tools/content/image.h"

#include <algorithm>
#include <cmath>

#include "tools/content/bmp_writer.h"

Colour Mix(const Colour& a, const Colour& b, float t) { return a + (b - a) * t; }

Colour Hex(uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f};
}

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

float Lerp(float a, float b, float t) { return a + (b - a) * t; }

Image::Image(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

Colour& Image::Wrapped(int x, int y) { return At(Wrap(x, width_), Wrap(y, height_)); }

namespace {

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

}  // namespace

std::vector<uint8_t> Image::ToRgb8(bool keepBlack) const {
  std::vector<uint8_t> rgb;
  rgb.reserve(pixels_.size() * 3);
  for (const Colour& c : pixels_) {
    uint8_t r = ToByte(c.r), g = ToByte(c.g), b = ToByte(c.b);
    if (!keepBlack && r == 0 && g == 0 && b == 0) r = g = b = 1;
    rgb.push_back(r);
    rgb.push_back(g);
    rgb.push_back(b);
  }
  return rgb;
}

bool SaveBitmap(const Image& image, const std::string& path, bool keepBlack, std::string& error) {
  return WriteBitmap(path, image.Width(), image.Height(), image.ToRgb8(keepBlack), error);
}

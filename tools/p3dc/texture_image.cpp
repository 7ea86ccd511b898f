#include "tools/p3dc/texture_image.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

bool Take(unsigned char* pixels, int width, int height, RgbImage& out, std::string& error) {
  if (!pixels) {
    error = std::string("cannot decode the image: ") + stbi_failure_reason();
    return false;
  }
  out.width = width;
  out.height = height;
  out.rgb.assign(pixels, pixels + static_cast<size_t>(width) * height * 3);
  stbi_image_free(pixels);
  return true;
}

int NearestPowerOfTwo(int n, int maxSide) {
  int p = 1;
  while (p < n && p < maxSide) p *= 2;
  // Round down when that is nearer.
  if (p > 1 && p - n > n - p / 2) p /= 2;
  return std::max(1, p);
}

}  // namespace

bool DecodeImageFile(const std::string& path, RgbImage& out, std::string& error) {
  int width = 0, height = 0, channels = 0;
  unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
  return Take(pixels, width, height, out, error);
}

bool DecodeImageBytes(const uint8_t* data, size_t size, RgbImage& out, std::string& error) {
  if (size > static_cast<size_t>(INT32_MAX)) {
    error = "the embedded image is too large";
    return false;
  }
  int width = 0, height = 0, channels = 0;
  unsigned char* pixels =
      stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 3);
  return Take(pixels, width, height, out, error);
}

RgbImage ToPowerOfTwo(const RgbImage& image, int maxSide) {
  RgbImage out;
  out.width = NearestPowerOfTwo(image.width, maxSide);
  out.height = NearestPowerOfTwo(image.height, maxSide);
  if (out.width == image.width && out.height == image.height) return image;
  out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
  auto at = [&](int x, int y, int c) {
    x = std::clamp(x, 0, image.width - 1);
    y = std::clamp(y, 0, image.height - 1);
    return static_cast<float>(image.rgb[(static_cast<size_t>(y) * image.width + x) * 3 + c]);
  };
  for (int y = 0; y < out.height; ++y) {
    float sy = (y + 0.5f) * image.height / out.height - 0.5f;
    int y0 = static_cast<int>(std::floor(sy));
    float fy = sy - y0;
    for (int x = 0; x < out.width; ++x) {
      float sx = (x + 0.5f) * image.width / out.width - 0.5f;
      int x0 = static_cast<int>(std::floor(sx));
      float fx = sx - x0;
      for (int c = 0; c < 3; ++c) {
        float top = at(x0, y0, c) * (1 - fx) + at(x0 + 1, y0, c) * fx;
        float bottom = at(x0, y0 + 1, c) * (1 - fx) + at(x0 + 1, y0 + 1, c) * fx;
        out.rgb[(static_cast<size_t>(y) * out.width + x) * 3 + c] =
            static_cast<uint8_t>(std::lround(top * (1 - fy) + bottom * fy));
      }
    }
  }
  return out;
}

std::vector<uint8_t> BitmapRows(const RgbImage& image) {
  size_t row = static_cast<size_t>(image.width) * 3;
  std::vector<uint8_t> rows(image.rgb.size());
  for (int y = 0; y < image.height; ++y) {
    std::copy_n(image.rgb.begin() + static_cast<std::ptrdiff_t>(y * row), row,
                rows.begin() + static_cast<std::ptrdiff_t>((image.height - 1 - y) * row));
  }
  for (size_t i = 0; i + 2 < rows.size(); i += 3) {
    if (rows[i] == 0 && rows[i + 1] == 0 && rows[i + 2] == 0) rows[i] = rows[i + 1] = rows[i + 2] = 1;
  }
  return rows;
}

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An 8-bit R, G, B picture, the top row first (as image files store it).
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// Decodes PNG, JPEG, BMP, TGA and the other formats stb_image reads.
bool DecodeImageFile(const std::string& path, RgbImage& out, std::string& error);
bool DecodeImageBytes(const uint8_t* data, size_t size, RgbImage& out, std::string& error);

// Resampled (bilinear) to the nearest power of two on each side, at most
// `maxSide`: the game builds mipmaps, and odd sizes would be rescaled anyway.
RgbImage ToPowerOfTwo(const RgbImage& image, int maxSide = 1024);

// Rows for the bitmap writer, the bottom row first. The game loads model
// textures with pure black as transparent, so black is lifted to (1, 1, 1).
std::vector<uint8_t> BitmapRows(const RgbImage& image);

#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The 40-byte info header of a Windows bitmap, as stored after the 14-byte
// file header.
struct BitmapInfoHeader {
  uint32_t headerSize = 0;
  int32_t width = 0;
  int32_t height = 0;  // negative: rows stored top-down
  uint16_t planes = 0;
  uint16_t bitsPerPixel = 0;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  int32_t xPixelsPerMetre = 0;
  int32_t yPixelsPerMetre = 0;
  uint32_t coloursUsed = 0;
  uint32_t coloursImportant = 0;
};

// Largest width or height accepted; anything bigger is taken as damage.
constexpr int32_t kMaxBitmapSide = 16384;

// A decoded image: tightly packed rows, the bottom row first (texture t = 0),
// R, G, B per pixel, or R, G, B, A with pure black transparent.
struct DecodedBitmap {
  BitmapInfoHeader info;
  int32_t width = 0;
  int32_t height = 0;  // always positive
  int channels = 0;    // 3 or 4
  std::unique_ptr<uint8_t[]> pixels;
  size_t byteCount = 0;
};

// Decodes an uncompressed 24-bit bitmap held in memory. False, with the
// reason in `error`, for anything else or for a damaged file; `out` is then
// left as it was.
bool DecodeBitmap(const uint8_t* data, size_t size, bool withAlpha, DecodedBitmap& out,
                  std::string& error);

// DecodeBitmap on the contents of a file. False, with the reason in
// `error`, when it cannot be read or decoded.
bool LoadBitmapFile(const char* path, bool withAlpha, DecodedBitmap& out, std::string& error);

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGBA PNG from tightly packed R, G, B, A rows, the top row first
// (the order PNG stores). The image data is kept in zlib's stored blocks:
// no compression, so no library, and the icons are small anyway.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgba);

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
              std::string& error);

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A 24-bit uncompressed Windows bitmap from tightly packed R, G, B rows,
// the bottom row first. Rows are padded to 4 bytes as the format requires;
// `topDown` stores them top row first with a negative height instead.
std::vector<uint8_t> EncodeBitmap(int width, int height, const std::vector<uint8_t>& rgb,
                                  bool topDown = false);

bool WriteBitmap(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                 std::string& error);

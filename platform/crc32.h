#pragma once
#include <cstddef>
#include <cstdint>

// The CRC-32 of zlib, PNG and the demo files. Pass a previous result as
// `crc` to continue it over more bytes.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "math/vector3.h"

// Appends little-endian values to a byte block, the mirror of ByteReader.
// Every file format and network message of the game is laid out with it.
class ByteWriter {
 public:
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
  }
  // x, y, z, as every file format of the game stores a vector.
  void Vector(const Vector3& v) {
    F32(v.x);
    F32(v.y);
    F32(v.z);
  }
  void Bytes(const void* data, size_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
  }
  void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  // Seven bits a byte, low first, the top bit set on all but the last.
  void Varint(uint32_t v) {
    while (v >= 0x80) {
      U8(static_cast<uint8_t>(v | 0x80));
      v >>= 7;
    }
    U8(static_cast<uint8_t>(v));
  }
  // A signed value as a varint, small magnitudes of either sign short.
  void SignedVarint(int32_t v) {
    Varint((static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v < 0 ? -1 : 0));
  }
  // Overwrites four bytes already written, for sizes known only at the end.
  void PatchU32(size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
  }

  size_t Size() const { return bytes_.size(); }
  std::vector<uint8_t>& Bytes() { return bytes_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

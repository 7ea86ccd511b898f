#include "assets/byte_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

bool ByteReader::Take(size_t count, const uint8_t** out) {
  if (failed_) return false;
  if (count > size_ - position_) {
    Fail("unexpected end of file at byte " + std::to_string(position_));
    return false;
  }
  *out = data_ + position_;
  position_ += count;
  return true;
}

uint8_t ByteReader::U8() {
  const uint8_t* p;
  return Take(1, &p) ? p[0] : 0;
}

uint16_t ByteReader::U16() {
  const uint8_t* p;
  if (!Take(2, &p)) return 0;
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

int16_t ByteReader::I16() { return static_cast<int16_t>(U16()); }

uint32_t ByteReader::U32() {
  const uint8_t* p;
  if (!Take(4, &p)) return 0;
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t ByteReader::I32() { return static_cast<int32_t>(U32()); }

float ByteReader::F32() {
  uint32_t bits = U32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void ByteReader::Bytes(void* out, size_t count) {
  const uint8_t* p;
  if (Take(count, &p)) {
    std::memcpy(out, p, count);
  } else if (count > 0) {
    std::memset(out, 0, count);
  }
}

void ByteReader::Skip(size_t count) {
  const uint8_t* p;
  Take(count, &p);
}

void ByteReader::Seek(size_t offset) {
  if (failed_) return;
  if (offset > size_) {
    Fail("offset " + std::to_string(offset) + " lies past the end of the file (" +
         std::to_string(size_) + " bytes)");
    return;
  }
  position_ = offset;
}

bool ByteReader::Expect(uint64_t count, uint64_t recordSize, const char* what) {
  if (failed_) return false;
  uint64_t remaining = size_ - position_;
  if (recordSize != 0 && count > remaining / recordSize) {
    Fail(std::string(what) + ": " + std::to_string(count) + " records do not fit in the " +
         std::to_string(remaining) + " bytes left");
    return false;
  }
  return true;
}

void ByteReader::Fail(const std::string& reason) {
  if (failed_) return;
  failed_ = true;
  error_ = reason;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes, std::string& error) {
  bytes.clear();
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), &std::fclose);
  if (!file) {
    error = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  // Size the buffer once when the file can say how long it is.
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    long size = std::ftell(file.get());
    if (size > 0) bytes.reserve(static_cast<size_t>(size));
    std::rewind(file.get());
  }
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(file.get())) {
    error = "read error";
    return false;
  }
  return true;
}

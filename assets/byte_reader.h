#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Reads little-endian values from a block of bytes. The first read that would
// pass the end, or any check that fails, sets one failure flag with a reason;
// every later read then returns zeros, so a loader can check once at the end
// of a section and never touches memory outside the block.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size), windowLength_(size) {}
  explicit ByteReader(const std::vector<uint8_t>& bytes) : ByteReader(bytes.data(), bytes.size()) {}
  // Reads an open file as it goes, through a small window: large arrays go
  // straight from the file to their place, and the whole file is never
  // held in memory. A file that ends early or cannot be read fails the
  // reader as a damaged one does.
  explicit ByteReader(const class PlainFile& file);

  uint8_t U8();
  int16_t I16();
  uint16_t U16();
  int32_t I32();
  uint32_t U32();
  float F32();
  // ByteWriter's varints: seven bits a byte, low first; a value that runs
  // past 32 bits fails the reader.
  uint32_t Varint();
  int32_t SignedVarint();
  // The next `count` bytes where they lie, valid until the next read, so a
  // record is parsed in place rather than copied out first; null, with the
  // reader failed, if fewer remain. For records, not whole arrays: a file's
  // window grows to hold them.
  const uint8_t* Next(size_t count) {
    const size_t inWindow = position_ - windowStart_;
    if (!failed_ && position_ >= windowStart_ && inWindow <= windowLength_ &&
        count <= windowLength_ - inWindow) {
      position_ += count;
      return data_ + inWindow;
    }
    const uint8_t* p;
    return Take(count, &p) ? p : nullptr;
  }
  // The little-endian values at `p`, decoded as the reads above decode
  // them: for a record taken whole with Next and parsed in place.
  static uint32_t DecodeU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
  static float DecodeF32(const uint8_t* p) {
    const uint32_t bits = DecodeU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // Copies `count` bytes, or zero-fills `out` and fails if fewer remain.
  void Bytes(void* out, size_t count);
  void Skip(size_t count);
  // Moves to an absolute offset, failing if it lies past the end.
  void Seek(size_t offset);

  // True when `count` records of `recordSize` bytes each still fit in what
  // remains; fails with `what` named otherwise. Call before allocating.
  bool Expect(uint64_t count, uint64_t recordSize, const char* what);

  // Records a failure; the first reason given is the one kept.
  void Fail(const std::string& reason);

  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }
  size_t Position() const { return position_; }
  size_t Remaining() const { return size_ - position_; }
  size_t Size() const { return size_; }

 private:
  bool Take(size_t count, const uint8_t** out);
  // Moves the window of a file to start at the current position, holding
  // at least `count` bytes.
  bool Slide(size_t count);
  bool ReadAt(uint64_t offset, void* out, size_t count);

  // The bytes from `windowStart_` on: the whole block, or a file's window.
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  size_t windowStart_ = 0;
  size_t windowLength_ = 0;
  int fd_ = -1;
  std::vector<uint8_t> window_;
  bool failed_ = false;
  std::string error_;
};

// Largest file the game reads; anything bigger is taken as damage.
constexpr uint64_t kMaxFileBytes = 1ull << 30;

// A plain file open for reading, with its size when opened.
class PlainFile {
 public:
  PlainFile() = default;
  PlainFile(const PlainFile&) = delete;
  PlainFile& operator=(const PlainFile&) = delete;
  ~PlainFile();

  // False with a reason when the file cannot be opened, is too big, or is
  // not a plain file (a directory, a device such as /dev/zero, a FIFO).
  bool Open(const char* path, std::string& error);
  int Descriptor() const { return fd_; }
  size_t Size() const { return size_; }

 private:
  int fd_ = -1;
  size_t size_ = 0;
};

// Reads a whole regular file into `bytes` with one read sized by its length.
// False with a reason when it cannot be read, is too big, or is not a plain
// file (a directory, a device such as /dev/zero, a FIFO).
bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes, std::string& error);

// True when `path` names a plain file (not a directory, device, FIFO or
// socket); false with a reason otherwise. For files read by other libraries.
bool IsPlainFile(const char* path, std::string& error);

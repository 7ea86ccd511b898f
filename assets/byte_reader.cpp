#include "assets/byte_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/large_arrays.h"

namespace {

// A file's window: enough for every record the readers take in one piece.
constexpr size_t kWindowBytes = 64 * 1024;

}  // namespace

ByteReader::ByteReader(const PlainFile& file)
    : data_(nullptr), size_(file.Size()), fd_(file.Descriptor()) {}

bool ByteReader::Take(size_t count, const uint8_t** out) {
  if (failed_) return false;
  if (count > size_ - position_) {
    Fail("unexpected end of file at byte " + std::to_string(position_));
    return false;
  }
  const bool inWindow =
      position_ >= windowStart_ && position_ + count <= windowStart_ + windowLength_;
  if (!inWindow && !Slide(count)) return false;
  *out = data_ + (position_ - windowStart_);
  position_ += count;
  return true;
}

bool ByteReader::ReadAt(uint64_t offset, void* out, size_t count) {
  auto* bytes = static_cast<uint8_t*>(out);
  size_t got = 0;
  while (got < count) {
    const ssize_t n = ::pread(fd_, bytes + got, count - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(n < 0 ? std::string("read error: ") + std::strerror(errno)
                 : "the file ended at byte " + std::to_string(offset + got) +
                       ": it changed while it was read");
      return false;
    }
    got += static_cast<size_t>(n);
  }
  return true;
}

bool ByteReader::Slide(size_t count) {
  // Only a file's reader has more to bring in: a block's window is all of it.
  if (fd_ < 0) return false;
  const size_t length = std::min(std::max(count, kWindowBytes), size_ - position_);
  if (window_.size() < length) window_.resize(length);
  if (!ReadAt(position_, window_.data(), length)) return false;
  data_ = window_.data();
  windowStart_ = position_;
  windowLength_ = length;
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
  return Take(4, &p) ? DecodeU32(p) : 0;
}

int32_t ByteReader::I32() { return static_cast<int32_t>(U32()); }

uint32_t ByteReader::Varint() {
  uint32_t value = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    const uint8_t b = U8();
    if (failed_) return 0;
    if (shift == 28 && (b & 0xF0) != 0) break;  // more than 32 bits
    value |= static_cast<uint32_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return value;
  }
  Fail("a number runs past 32 bits");
  return 0;
}

int32_t ByteReader::SignedVarint() {
  const uint32_t v = Varint();
  return static_cast<int32_t>((v >> 1) ^ (0u - (v & 1u)));
}

float ByteReader::F32() {
  const uint8_t* p;
  return Take(4, &p) ? DecodeF32(p) : 0.0f;
}

void ByteReader::Bytes(void* out, size_t count) {
  // An empty array's storage may be null, which memcpy must never see.
  if (count == 0) return;
  if (fd_ >= 0 && count > kWindowBytes && !failed_ && count <= size_ - position_) {
    // A large array: what the window holds, then the rest straight from the file.
    const size_t windowEnd = windowStart_ + windowLength_;
    const size_t inWindow =
        position_ >= windowStart_ && position_ < windowEnd ? windowEnd - position_ : 0;
    const size_t fromWindow = std::min(inWindow, count);
    if (fromWindow > 0) std::memcpy(out, data_ + (position_ - windowStart_), fromWindow);
    if (ReadAt(position_ + fromWindow, static_cast<uint8_t*>(out) + fromWindow,
               count - fromWindow)) {
      position_ += count;
      return;
    }
  }
  const uint8_t* p;
  if (Take(count, &p)) {
    std::memcpy(out, p, count);
  } else {
    std::memset(out, 0, count);
  }
}

void ByteReader::Skip(size_t count) {
  if (failed_) return;
  if (count > size_ - position_) {
    Fail("unexpected end of file at byte " + std::to_string(position_));
    return;
  }
  position_ += count;
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

namespace {

// Directories, devices such as /dev/zero, FIFOs and sockets have no size to
// trust; only a plain file is data.
bool CheckPlain(const struct stat& info, std::string& error) {
  if (S_ISDIR(info.st_mode)) {
    error = "is a directory, not a file";
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "is not a regular file (a device, FIFO or socket)";
    return false;
  }
  return true;
}

}  // namespace

bool IsPlainFile(const char* path, std::string& error) {
  struct stat info;
  if (::stat(path, &info) != 0) {
    error = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  return CheckPlain(info, error);
}

PlainFile::~PlainFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool PlainFile::Open(const char* path, std::string& error) {
  // Non-blocking, so a FIFO in a file's place cannot hang the open.
  const int fd = ::open(path, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  size_ = 0;
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    error = std::string("cannot read its size: ") + std::strerror(errno);
    return false;
  }
  if (!CheckPlain(info, error)) return false;
  if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > kMaxFileBytes) {
    error = "is " + std::to_string(info.st_size) + " bytes, more than the " +
            std::to_string(kMaxFileBytes) + " a game file may have";
    return false;
  }
  size_ = static_cast<size_t>(info.st_size);
  return true;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes, std::string& error) {
  bytes.clear();
  PlainFile file;
  if (!file.Open(path, error)) return false;
  const size_t size = file.Size();
  platform::ResizeLarge(bytes, size);
  // One read for the whole file; the loop only mops up a short read.
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(file.Descriptor(), bytes.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::string("read error: ") + std::strerror(errno);
      bytes.clear();
      return false;
    }
    if (n == 0) break;  // the file shrank since it was opened
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return true;
}

#pragma once
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/common/byte_writer.h"

// A fresh temporary folder that is the working directory while alive, so
// test files are named by short relative paths as the game names its data.
class ScratchDir {
 public:
  ScratchDir() : previous_(std::filesystem::current_path()) {
    char pattern[] = "/tmp/driftwing-assets-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    path_ = pattern;
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  static void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string error;
    if (!WriteFileBytes(name, bytes, error)) std::abort();
  }

 private:
  std::filesystem::path previous_, path_;
};

// A little-endian edit of a file image, for making damaged files.
inline void Poke32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

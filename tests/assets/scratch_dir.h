#pragma once
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/content/byte_writer.h"

// A fresh temporary folder that is the working directory while alive, so
// test files are named by short relative paths as the game names its data.
class ScratchDir {
 public:
  ScratchDir() {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) previous_ = cwd;
    char pattern[] = "/tmp/driftwing-assets-XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0) std::abort();
    path_ = pattern;
  }
  ~ScratchDir() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::abort();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  static void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string error;
    if (!WriteFileBytes(name, bytes, error)) std::abort();
  }

 private:
  std::string previous_;
  std::string path_;
};

// Little-endian edits of a file image, for making damaged files.
inline void Poke16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}
inline void Poke32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

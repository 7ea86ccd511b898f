#include "tests/support/temp_dir.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "tools/common/byte_writer.h"

TempDir::TempDir(Mode mode) {
  char pattern[] = "/tmp/driftwing-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  path_ = pattern;
  if (mode == kEnter) {
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
  std::string error;
  if (!WriteFileBytes(File(name), bytes, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::abort();
  }
}

void TempDir::WriteText(const std::string& name, const std::string& text) const {
  Write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

#include "tests/support/temp_dir.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

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
  FILE* file = std::fopen(File(name).c_str(), "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::perror(File(name).c_str());
    std::abort();
  }
  std::fclose(file);
}

void TempDir::WriteText(const std::string& name, const std::string& text) const {
  Write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

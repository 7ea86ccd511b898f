#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "tests/assets/scratch_dir.h"

namespace {

// Only plain files are read; whatever else stands at a path is refused with
// a reason at once, never read endlessly or waited on.
TEST(ReadWholeFile, ReadsPlainFilesAndRefusesEverythingElse) {
  ScratchDir dir;
  ScratchDir::Write("three", {1, 2, 3});
  ScratchDir::Write("empty", {});
  ASSERT_EQ(mkdir("folder", 0755), 0);
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  struct Case {
    const char* path;
    size_t size;  // of a file that is read
    const char* reason;  // of a refusal
  } cases[] = {
      {"three", 3, nullptr},
      {"empty", 0, nullptr},
      {"gone", 0, "cannot open"},
      {"folder", 0, "is a directory"},
      {"fifo", 0, "not a regular file"},
      {"/dev/zero", 0, "not a regular file"},
      {"/dev/null", 0, "not a regular file"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = {9};
    std::string error;
    const bool read = ReadWholeFile(c.path, bytes, error);
    EXPECT_EQ(read, c.reason == nullptr) << c.path;
    EXPECT_EQ(bytes.size(), c.size) << c.path;
    if (c.reason) {
      EXPECT_NE(error.find(c.reason), std::string::npos) << c.path << ": " << error;
    }
    EXPECT_EQ(IsPlainFile(c.path, error), read) << c.path;
  }
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(ReadWholeFile("three", bytes, error));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "tests/support/temp_dir.h"

namespace {

// A reader that goes through a file's window must see exactly what one over
// the whole block sees: every value, position, failure and reason, across
// window edges, large arrays, skips and seeks back.
TEST(StreamedReader, ReadsAsTheWholeBlockDoes) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes(300000);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  TempDir dir;
  dir.Write("bytes", bytes);
  const std::string path = dir.File("bytes");
  for (int run = 0; run < 20; ++run) {
    PlainFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path.c_str(), error)) << error;
    ByteReader streamed(file);
    ByteReader block(bytes);
    for (int step = 0; step < 400; ++step) {
      switch (random() % 7) {
        case 0:
          ASSERT_EQ(streamed.U8(), block.U8());
          break;
        case 1:
          ASSERT_EQ(streamed.U32(), block.U32());
          break;
        case 2: {
          // Up to four windows' worth at once.
          const size_t count = random() % (1u << (random() % 19));
          std::vector<uint8_t> a(count), b(count);
          streamed.Bytes(a.data(), count);
          block.Bytes(b.data(), count);
          ASSERT_EQ(a, b);
          break;
        }
        case 3: {
          const size_t count = random() % 70000;
          streamed.Skip(count);
          block.Skip(count);
          break;
        }
        case 4: {
          const size_t offset = random() % (bytes.size() + 100);
          streamed.Seek(offset);
          block.Seek(offset);
          break;
        }
        case 5: {
          // A record read in place, which may reach across a window's edge.
          const size_t count = random() % 5000;
          const uint8_t* a = streamed.Next(count);
          const uint8_t* b = block.Next(count);
          ASSERT_EQ(a == nullptr, b == nullptr);
          if (a != nullptr) {
            ASSERT_EQ(std::vector<uint8_t>(a, a + count), std::vector<uint8_t>(b, b + count));
          }
          break;
        }
        default:
          ASSERT_EQ(streamed.I16(), block.I16());
      }
      ASSERT_EQ(streamed.Position(), block.Position()) << "run " << run << " step " << step;
      ASSERT_EQ(streamed.Failed(), block.Failed());
      ASSERT_EQ(streamed.Error(), block.Error());
      if (block.Failed()) break;
    }
  }
}

// A file cut short by someone else while it is read fails the reader with
// a reason; nothing past the end is read or handed out.
TEST(StreamedReader, AFileCutWhileReadFailsWithAReason) {
  TempDir dir;
  dir.Write("bytes", std::vector<uint8_t>(200000, 0x5a));
  const std::string path = dir.File("bytes");
  PlainFile file;
  std::string error;
  ASSERT_TRUE(file.Open(path.c_str(), error)) << error;
  ASSERT_EQ(truncate(path.c_str(), 1000), 0);
  ByteReader reader(file);
  std::vector<uint8_t> out(150000, 1);
  reader.Bytes(out.data(), out.size());
  EXPECT_TRUE(reader.Failed());
  EXPECT_NE(reader.Error().find("changed while it was read"), std::string::npos) << reader.Error();
  EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 0));
}

}  // namespace

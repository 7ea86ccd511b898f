#include "assets/bitmap.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/damaged_file.h"
#include "tools/content/bmp_writer.h"

namespace {

// Offsets of the fields the tests damage.
constexpr size_t kPixelOffsetField = 10, kHeaderSizeField = 14, kWidthField = 18,
                 kHeightField = 22, kBitsField = 28, kCompressionField = 30,
                 kImageSizeField = 34, kPixelData = 54;

// Every pixel different: red from x, green from y, blue fixed.
std::vector<uint8_t> DistinctPixels(int width, int height) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rgb.insert(rgb.end(), {uint8_t(10 + 40 * x), uint8_t(20 + 50 * y), 200});
    }
  }
  return rgb;
}

// The decoded pixels, empty when the file is refused.
std::vector<uint8_t> Decode(const std::vector<uint8_t>& file, bool withAlpha) {
  DecodedBitmap image;
  std::string error;
  EXPECT_TRUE(DecodeBitmap(file.data(), file.size(), withAlpha, image, error)) << error;
  if (!image.pixels) return {};
  return std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + image.byteCount);
}

// The file stores B, G, R: a swapped decode turns the blue pixel red. With
// alpha only exact black is transparent.
TEST(BitmapDecode, ChannelsAreRgbAndOnlyPureBlackIsTransparent) {
  const std::vector<uint8_t> rgb = {0, 0, 255, 0, 0, 0, 0, 0, 1, 1, 0, 0};
  const std::vector<uint8_t> file = EncodeBitmap(4, 1, rgb);
  ASSERT_EQ(file[kPixelData], 255);
  EXPECT_EQ(Decode(file, false), rgb);
  EXPECT_EQ(Decode(file, true),
            (std::vector<uint8_t>{0, 0, 255, 255, 0, 0, 0, 0, 0, 0, 1, 255, 1, 0, 0, 255}));
}

// Rows are padded to 4 bytes in the file and tightly packed in memory.
TEST(BitmapDecode, PaddedWidthsKeepEveryPixel) {
  for (int width : {1, 2, 3, 4, 5, 7}) {
    const std::vector<uint8_t> rgb = DistinctPixels(width, 3);
    const std::vector<uint8_t> file = EncodeBitmap(width, 3, rgb);
    ASSERT_EQ(file.size(), kPixelData + (width * 3 + 3) / 4 * 4 * 3);
    std::vector<uint8_t> rgba;
    for (size_t i = 0; i < rgb.size(); i += 3) {
      rgba.insert(rgba.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});
    }
    EXPECT_EQ(Decode(file, false), rgb) << "width " << width;
    EXPECT_EQ(Decode(file, true), rgba) << "width " << width;
  }
}

// Either way the decoded image starts with the bottom row (texture t = 0).
TEST(BitmapDecode, TopDownRowsGiveTheSameImageAsBottomUp) {
  const std::vector<uint8_t> rgb = DistinctPixels(3, 4);
  EXPECT_EQ(Decode(EncodeBitmap(3, 4, rgb, false), false), rgb);
  EXPECT_EQ(Decode(EncodeBitmap(3, 4, rgb, true), false), rgb);
}

// Files other tools write: no image size, slack after the rows, a 124-byte
// header (the pixels are where the offset field says, not at 54).
TEST(BitmapDecode, CommonHeaderVariantsAreRead) {
  const std::vector<uint8_t> rgb = DistinctPixels(3, 3);
  const std::function<void(std::vector<uint8_t>&)> variants[] = {
      [](auto& f) { Put32(f, kImageSizeField, 0); },
      [](auto& f) { Put32(f, kImageSizeField, 3 * 12 + 2); f.resize(f.size() + 2); },
      [](auto& f) {
        f.insert(f.begin() + kPixelData, 84, 0);
        Put32(f, kHeaderSizeField, 124);
        Put32(f, kPixelOffsetField, kPixelData + 84);
      }};
  for (const auto& apply : variants) {
    std::vector<uint8_t> file = EncodeBitmap(3, 3, rgb);
    apply(file);
    EXPECT_EQ(Decode(file, false), rgb);
  }
}

// Both ways of loading refuse a damaged file alike and hand back no pixels.
std::string BitmapReason(const Bytes& file) {
  std::string reasons[2];
  for (bool withAlpha : {false, true}) {
    DecodedBitmap image;
    if (!DecodeBitmap(file.data(), file.size(), withAlpha, image, reasons[withAlpha])) {
      EXPECT_EQ(image.pixels, nullptr);
    }
  }
  EXPECT_EQ(reasons[0], reasons[1]);
  return reasons[0];
}

TEST(BitmapDecode, DamagedFilesAreRefusedWithAReason) {
  ExpectEachRefused(
      EncodeBitmap(5, 4, DistinctPixels(5, 4)),
      {{"truncated file header", [](Bytes& f) { f.resize(9); }, "truncated file header"},
       {"truncated info header", [](Bytes& f) { f.resize(40); }, "truncated info header"},
       {"wrong magic", [](Bytes& f) { f[1] = 'N'; }, "no \"BM\" magic"},
       {"old core header", [](Bytes& f) { Put32(f, kHeaderSizeField, 12); }, "too old"},
       {"absurd width", [](Bytes& f) { Put32(f, kWidthField, 100000); }, "out of range"},
       {"negative width", [](Bytes& f) { Put32(f, kWidthField, -5); }, "out of range"},
       {"zero height", [](Bytes& f) { Put32(f, kHeightField, 0); }, "out of range"},
       // Negating the most negative height overflows.
       {"most negative height", [](Bytes& f) { Put32(f, kHeightField, 1u << 31); }, "out of range"},
       {"data shorter than rows", [](Bytes& f) { f.pop_back(); }, "shorter than its rows"},
       {"short with no image size",
        [](Bytes& f) {
          Put32(f, kImageSizeField, 0);
          f.resize(f.size() - 16);
        },
        "shorter than its rows"},
       {"image size below rows", [](Bytes& f) { Put32(f, kImageSizeField, 60); }, "image size field"},
       {"eight bit", [](Bytes& f) { f[kBitsField] = 8; }, "8 bits per pixel"},
       {"compressed", [](Bytes& f) { Put32(f, kCompressionField, 1); }, "compressed"},
       {"pixel offset past end", [](Bytes& f) { Put32(f, kPixelOffsetField, f.size() + 10); },
        "past the end"},
       {"pixel offset inside headers", [](Bytes& f) { Put32(f, kPixelOffsetField, 20); },
        "inside the headers"}},
      BitmapReason);
}

}  // namespace

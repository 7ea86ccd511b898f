#include "assets/bitmap.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "tests/assets/scratch_dir.h"
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
      [](auto& f) { Poke32(f, kImageSizeField, 0); },
      [](auto& f) { Poke32(f, kImageSizeField, 3 * 12 + 2); f.resize(f.size() + 2); },
      [](auto& f) {
        f.insert(f.begin() + kPixelData, 84, 0);
        Poke32(f, kHeaderSizeField, 124);
        Poke32(f, kPixelOffsetField, kPixelData + 84);
      }};
  for (const auto& apply : variants) {
    std::vector<uint8_t> file = EncodeBitmap(3, 3, rgb);
    apply(file);
    EXPECT_EQ(Decode(file, false), rgb);
  }
}

struct Damage {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> apply;
  const char* reasonContains;
};
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedBitmap : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedBitmap, IsRefusedWithAReason) {
  std::vector<uint8_t> file = EncodeBitmap(5, 4, DistinctPixels(5, 4));
  GetParam().apply(file);
  for (bool withAlpha : {false, true}) {
    DecodedBitmap image;
    std::string error;
    EXPECT_FALSE(DecodeBitmap(file.data(), file.size(), withAlpha, image, error));
    EXPECT_NE(error.find(GetParam().reasonContains), std::string::npos) << error;
    EXPECT_EQ(image.pixels, nullptr);
  }
}

using File = std::vector<uint8_t>;
INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedBitmap,
    ::testing::Values(
        Damage{"TruncatedFileHeader", [](File& f) { f.resize(9); }, "truncated file header"},
        Damage{"TruncatedInfoHeader", [](File& f) { f.resize(40); }, "truncated info header"},
        Damage{"WrongMagic", [](File& f) { f[1] = 'N'; }, "no \"BM\" magic"},
        Damage{"OldCoreHeader", [](File& f) { Poke32(f, kHeaderSizeField, 12); }, "too old"},
        Damage{"AbsurdWidth", [](File& f) { Poke32(f, kWidthField, 100000); }, "out of range"},
        Damage{"NegativeWidth", [](File& f) { Poke32(f, kWidthField, -5); }, "out of range"},
        Damage{"ZeroHeight", [](File& f) { Poke32(f, kHeightField, 0); }, "out of range"},
        // Negating the most negative height overflows.
        Damage{"MostNegativeHeight", [](File& f) { Poke32(f, kHeightField, 1u << 31); },
               "out of range"},
        Damage{"DataShorterThanRows", [](File& f) { f.pop_back(); }, "shorter than its rows"},
        Damage{"ShortWithNoImageSize",
               [](File& f) { Poke32(f, kImageSizeField, 0); f.resize(f.size() - 16); },
               "shorter than its rows"},
        Damage{"ImageSizeBelowRows", [](File& f) { Poke32(f, kImageSizeField, 60); },
               "image size field"},
        Damage{"EightBit", [](File& f) { f[kBitsField] = 8; }, "8 bits per pixel"},
        Damage{"Compressed", [](File& f) { Poke32(f, kCompressionField, 1); }, "compressed"},
        Damage{"PixelOffsetPastEnd", [](File& f) { Poke32(f, kPixelOffsetField, f.size() + 10); },
               "past the end"},
        Damage{"PixelOffsetInsideHeaders", [](File& f) { Poke32(f, kPixelOffsetField, 20); },
               "inside the headers"}),
    [](const ::testing::TestParamInfo<Damage>& p) { return p.param.name; });

}  // namespace

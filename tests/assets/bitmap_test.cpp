#include "assets/bitmap.h"

#include <gtest/gtest.h>

#include <functional>

#include "assets/texture.h"
#include "tests/assets/scratch_dir.h"
#include "tools/content/bmp_writer.h"

namespace {

// Offsets of the fields the tests damage.
constexpr size_t kPixelOffsetField = 10;
constexpr size_t kHeaderSizeField = 14;
constexpr size_t kWidthField = 18;
constexpr size_t kHeightField = 22;
constexpr size_t kBitsField = 28;
constexpr size_t kCompressionField = 30;
constexpr size_t kImageSizeField = 34;
constexpr size_t kPixelData = 54;

// Every pixel different: red from x, green from y, blue fixed.
std::vector<uint8_t> DistinctPixels(int width, int height) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rgb.push_back(static_cast<uint8_t>(10 + 40 * x));
      rgb.push_back(static_cast<uint8_t>(20 + 50 * y));
      rgb.push_back(200);
    }
  }
  return rgb;
}

bool Decode(const std::vector<uint8_t>& file, bool withAlpha, DecodedBitmap& out,
            std::string& error) {
  return DecodeBitmap(file.data(), file.size(), withAlpha, out, error);
}

TEST(BitmapDecode, FileOrderBgrBecomesRgb) {
  std::vector<uint8_t> rgb(4 * 4 * 3, 0);
  rgb[2] = 255;  // the first pixel is blue
  std::vector<uint8_t> file = EncodeBitmap(4, 4, rgb);
  ASSERT_EQ(file[kPixelData], 255);  // stored as B, G, R
  ASSERT_EQ(file[kPixelData + 2], 0);

  DecodedBitmap plain, alpha;
  std::string error;
  ASSERT_TRUE(Decode(file, false, plain, error)) << error;
  ASSERT_TRUE(Decode(file, true, alpha, error)) << error;
  EXPECT_EQ(std::vector<uint8_t>(plain.pixels.get(), plain.pixels.get() + 3),
            (std::vector<uint8_t>{0, 0, 255}));
  EXPECT_EQ(std::vector<uint8_t>(alpha.pixels.get(), alpha.pixels.get() + 4),
            (std::vector<uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(plain.byteCount, 48u);
  EXPECT_EQ(alpha.byteCount, 64u);
  EXPECT_EQ(alpha.channels, 4);
  EXPECT_EQ(alpha.info.width, 4);
  EXPECT_EQ(alpha.info.bitsPerPixel, 24);
}

TEST(BitmapDecode, OnlyPureBlackIsTransparent) {
  const std::vector<uint8_t> rgb = {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0};
  DecodedBitmap image;
  std::string error;
  ASSERT_TRUE(Decode(EncodeBitmap(4, 1, rgb), true, image, error)) << error;
  const uint8_t* p = image.pixels.get();
  EXPECT_EQ(p[3], 0);
  EXPECT_EQ(p[7], 255);
  EXPECT_EQ(p[11], 255);
  EXPECT_EQ(p[15], 255);
  EXPECT_EQ(p[6], 1);  // colour kept under the alpha
}

class PaddedWidth : public ::testing::TestWithParam<int> {};

TEST_P(PaddedWidth, RowsAreUnpaddedAndEveryPixelKept) {
  const int width = GetParam(), height = 3;
  const std::vector<uint8_t> rgb = DistinctPixels(width, height);
  const std::vector<uint8_t> file = EncodeBitmap(width, height, rgb);
  const size_t rowBytes = (width * 3 + 3) / 4 * 4;
  ASSERT_EQ(file.size(), kPixelData + rowBytes * height);

  DecodedBitmap plain, alpha;
  std::string error;
  ASSERT_TRUE(Decode(file, false, plain, error)) << error;
  ASSERT_TRUE(Decode(file, true, alpha, error)) << error;
  ASSERT_EQ(plain.width, width);
  ASSERT_EQ(plain.height, height);
  EXPECT_EQ(std::vector<uint8_t>(plain.pixels.get(), plain.pixels.get() + plain.byteCount), rgb);
  for (int i = 0; i < width * height; ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(alpha.pixels[i * 4 + c], rgb[i * 3 + c]) << i;
    EXPECT_EQ(alpha.pixels[i * 4 + 3], 255);
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, PaddedWidth, ::testing::Values(1, 2, 3, 4, 5, 7));

TEST(BitmapDecode, TopDownRowsGiveTheSameImageAsBottomUp) {
  const std::vector<uint8_t> rgb = DistinctPixels(3, 4);
  const std::vector<uint8_t> bottomUp = EncodeBitmap(3, 4, rgb, false);
  const std::vector<uint8_t> topDown = EncodeBitmap(3, 4, rgb, true);
  // The top-down file stores the picture's top row first, under a negative height.
  ASSERT_EQ(static_cast<int32_t>(topDown[kHeightField] | topDown[kHeightField + 1] << 8 |
                                 topDown[kHeightField + 2] << 16 | topDown[kHeightField + 3] << 24),
            -4);
  ASSERT_EQ(topDown[kPixelData + 1], bottomUp[kPixelData + 3 * 12 + 1]);

  DecodedBitmap a, b;
  std::string error;
  ASSERT_TRUE(Decode(bottomUp, false, a, error)) << error;
  ASSERT_TRUE(Decode(topDown, false, b, error)) << error;
  EXPECT_EQ(b.height, 4);
  EXPECT_EQ(std::vector<uint8_t>(a.pixels.get(), a.pixels.get() + a.byteCount),
            std::vector<uint8_t>(b.pixels.get(), b.pixels.get() + b.byteCount));
  // Row 0 is the bottom row: the first row a bottom-up file stores.
  EXPECT_EQ(a.pixels[1], bottomUp[kPixelData + 1]);
}

TEST(BitmapDecode, ImageSizeOfZeroOrWithSlackIsAccepted) {
  for (uint32_t imageSize : {0u, 3u * 12u + 2u}) {
    std::vector<uint8_t> file = EncodeBitmap(3, 3, DistinctPixels(3, 3));
    Poke32(file, kImageSizeField, imageSize);
    file.resize(kPixelData + 3 * 12 + 2, 0);
    DecodedBitmap image;
    std::string error;
    EXPECT_TRUE(Decode(file, false, image, error)) << imageSize << ": " << error;
  }
}

TEST(BitmapDecode, LargerHeaderVersionsAreRead) {
  // A 124-byte header, as many tools write: the pixel offset says where to look.
  std::vector<uint8_t> file = EncodeBitmap(2, 2, DistinctPixels(2, 2));
  file.insert(file.begin() + kPixelData, 84, 0);
  Poke32(file, kHeaderSizeField, 124);
  Poke32(file, kPixelOffsetField, kPixelData + 84);
  DecodedBitmap image;
  std::string error;
  ASSERT_TRUE(Decode(file, false, image, error)) << error;
  EXPECT_EQ(image.pixels[0], 10);
}

struct Damage {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> apply;
  const char* reasonContains;
};

class DamagedBitmap : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedBitmap, IsRefusedWithAReason) {
  std::vector<uint8_t> file = EncodeBitmap(5, 4, DistinctPixels(5, 4));
  GetParam().apply(file);
  for (bool withAlpha : {false, true}) {
    DecodedBitmap image;
    std::string error;
    EXPECT_FALSE(Decode(file, withAlpha, image, error));
    EXPECT_NE(error.find(GetParam().reasonContains), std::string::npos) << error;
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedBitmap,
    ::testing::Values(
        Damage{"Empty", [](auto& f) { f.clear(); }, "no \"BM\" magic"},
        Damage{"TruncatedFileHeader", [](auto& f) { f.resize(9); }, "truncated file header"},
        Damage{"TruncatedInfoHeader", [](auto& f) { f.resize(40); }, "truncated info header"},
        Damage{"WrongMagic", [](auto& f) { f[1] = 'N'; }, "no \"BM\" magic"},
        Damage{"OldCoreHeader", [](auto& f) { Poke32(f, kHeaderSizeField, 12); }, "too old"},
        Damage{"AbsurdWidth", [](auto& f) { Poke32(f, kWidthField, 100000); }, "out of range"},
        Damage{"AbsurdHeight", [](auto& f) { Poke32(f, kHeightField, 70000); }, "out of range"},
        Damage{"AbsurdTopDownHeight", [](auto& f) { Poke32(f, kHeightField, 0x80000000u); },
               "out of range"},
        Damage{"NegativeWidth", [](auto& f) { Poke32(f, kWidthField, static_cast<uint32_t>(-5)); },
               "out of range"},
        Damage{"ZeroWidth", [](auto& f) { Poke32(f, kWidthField, 0); }, "out of range"},
        Damage{"ZeroHeight", [](auto& f) { Poke32(f, kHeightField, 0); }, "out of range"},
        Damage{"DataShorterThanRows", [](auto& f) { f.pop_back(); }, "shorter than its rows"},
        Damage{"DataShorterWithZeroImageSize",
               [](auto& f) {
                 Poke32(f, kImageSizeField, 0);
                 f.resize(f.size() - 16);
               },
               "shorter than its rows"},
        Damage{"ImageSizeSmallerThanRows", [](auto& f) { Poke32(f, kImageSizeField, 60); },
               "image size field"},
        Damage{"EightBit", [](auto& f) { Poke16(f, kBitsField, 8); }, "8 bits per pixel"},
        Damage{"ThirtyTwoBit", [](auto& f) { Poke16(f, kBitsField, 32); }, "32 bits per pixel"},
        Damage{"RunLengthCompressed", [](auto& f) { Poke32(f, kCompressionField, 1); },
               "compressed"},
        Damage{"BitFields", [](auto& f) { Poke32(f, kCompressionField, 3); }, "compressed"},
        Damage{"PixelOffsetPastEnd",
               [](auto& f) { Poke32(f, kPixelOffsetField, static_cast<uint32_t>(f.size() + 10)); },
               "past the end"},
        Damage{"PixelOffsetInsideHeaders", [](auto& f) { Poke32(f, kPixelOffsetField, 20); },
               "inside the headers"}),
    [](const ::testing::TestParamInfo<Damage>& p) { return p.param.name; });

TEST(BitmapFile, LoadsFromDiskWithItsHeader) {
  ScratchDir dir;
  ScratchDir::Write("two.bmp", EncodeBitmap(2, 3, DistinctPixels(2, 3)));
  BitmapInfoHeader info;
  std::unique_ptr<uint8_t[]> rgb = LoadBitmap("two.bmp", &info);
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(info.width, 2);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(rgb[3], 50);  // second pixel's red
  std::unique_ptr<uint8_t[]> rgba = LoadBitmapAlpha("two.bmp", nullptr);
  ASSERT_NE(rgba, nullptr);
  EXPECT_EQ(rgba[3], 255);
}

TEST(BitmapFile, FailuresLeaveTheirReason) {
  ScratchDir dir;
  EXPECT_EQ(LoadBitmap("missing.bmp", nullptr), nullptr);
  EXPECT_NE(LastAssetError().find("cannot open"), std::string::npos) << LastAssetError();
  ScratchDir::Write("text.bmp", {'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(LoadBitmapAlpha("text.bmp", nullptr), nullptr);
  EXPECT_NE(LastAssetError().find("BM"), std::string::npos) << LastAssetError();
}

}  // namespace

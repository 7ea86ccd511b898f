#include "assets/bitmap.h"

#include <new>
#include <vector>

#include "assets/byte_reader.h"

namespace {

constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kUncompressed = 0;

BitmapInfoHeader ReadInfoHeader(ByteReader& in) {
  BitmapInfoHeader info;
  info.headerSize = in.U32();
  info.width = in.I32();
  info.height = in.I32();
  info.planes = in.U16();
  info.bitsPerPixel = in.U16();
  info.compression = in.U32();
  info.imageSize = in.U32();
  info.xPixelsPerMetre = in.I32();
  info.yPixelsPerMetre = in.I32();
  info.coloursUsed = in.U32();
  info.coloursImportant = in.U32();
  return info;
}

// The reason a header describes no image this reader can take, or "".
std::string CheckInfoHeader(const BitmapInfoHeader& info) {
  if (info.headerSize < kInfoHeaderSize) {
    return "info header of " + std::to_string(info.headerSize) + " bytes is too old a format";
  }
  if (info.bitsPerPixel != 24) {
    return std::to_string(info.bitsPerPixel) + " bits per pixel (only 24-bit bitmaps are read)";
  }
  if (info.compression != kUncompressed) {
    return "compressed pixel data (compression " + std::to_string(info.compression) +
           "; only uncompressed bitmaps are read)";
  }
  int64_t rows = info.height < 0 ? -static_cast<int64_t>(info.height) : info.height;
  if (info.width <= 0 || rows == 0 || info.width > kMaxBitmapSide || rows > kMaxBitmapSide) {
    return "image size " + std::to_string(info.width) + " x " + std::to_string(info.height) +
           " is out of range (1 to " + std::to_string(kMaxBitmapSide) + " per side)";
  }
  return "";
}

void SetRgba(uint8_t* out, uint8_t r, uint8_t g, uint8_t b) {
  out[0] = r;
  out[1] = g;
  out[2] = b;
  out[3] = (r == 0 && g == 0 && b == 0) ? 0 : 255;
}

}  // namespace

bool DecodeBitmap(const uint8_t* data, size_t size, bool withAlpha, DecodedBitmap& out,
                  std::string& error) {
  ByteReader in(data, size);
  uint16_t magic = in.U16();
  if (in.Failed() || magic != kBitmapMagic) {
    error = "not a BMP file (no \"BM\" magic)";
    return false;
  }
  in.Skip(8);  // file size and the two reserved words
  uint32_t pixelOffset = in.U32();
  if (in.Failed()) {
    error = "truncated file header";
    return false;
  }
  BitmapInfoHeader info = ReadInfoHeader(in);
  if (in.Failed()) {
    error = "truncated info header";
    return false;
  }
  error = CheckInfoHeader(info);
  if (!error.empty()) return false;

  const size_t width = static_cast<size_t>(info.width);
  const bool topDown = info.height < 0;
  const size_t height = topDown ? static_cast<size_t>(-static_cast<int64_t>(info.height))
                                : static_cast<size_t>(info.height);
  // Each stored row is padded to a whole number of 4-byte words.
  const size_t rowBytes = (width * 3 + 3) & ~static_cast<size_t>(3);
  const size_t needed = rowBytes * height;
  if (info.imageSize != 0 && info.imageSize < needed) {
    error = "image size field (" + std::to_string(info.imageSize) + " bytes) is smaller than the " +
            std::to_string(needed) + " bytes of " + std::to_string(width) + " x " +
            std::to_string(height) + " pixels";
    return false;
  }
  if (pixelOffset < kFileHeaderSize + kInfoHeaderSize) {
    error = "pixel data offset " + std::to_string(pixelOffset) + " lies inside the headers";
    return false;
  }
  in.Seek(pixelOffset);
  if (!in.Expect(height, rowBytes, "pixel rows")) {
    error = "image data is shorter than its rows: " + in.Error();
    return false;
  }

  const int channels = withAlpha ? 4 : 3;
  const size_t byteCount = width * height * static_cast<size_t>(channels);
  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[byteCount]);
  if (!pixels) {
    error = "out of memory for " + std::to_string(byteCount) + " bytes of pixels";
    return false;
  }
  const uint8_t* stored = data + pixelOffset;
  for (size_t row = 0; row < height; ++row) {
    // Row 0 of the result is the bottom row of the picture.
    const uint8_t* source = stored + (topDown ? height - 1 - row : row) * rowBytes;
    uint8_t* target = pixels.get() + row * width * static_cast<size_t>(channels);
    for (size_t x = 0; x < width; ++x, source += 3, target += channels) {
      // Stored as B, G, R.
      if (withAlpha) {
        SetRgba(target, source[2], source[1], source[0]);
      } else {
        target[0] = source[2];
        target[1] = source[1];
        target[2] = source[0];
      }
    }
  }

  out.info = info;
  out.width = info.width;
  out.height = static_cast<int32_t>(height);
  out.channels = channels;
  out.pixels = std::move(pixels);
  out.byteCount = byteCount;
  return true;
}

bool LoadBitmapFile(const char* path, bool withAlpha, DecodedBitmap& out, std::string& error) {
  std::vector<uint8_t> bytes;
  return ReadWholeFile(path, bytes, error) &&
         DecodeBitmap(bytes.data(), bytes.size(), withAlpha, out, error);
}

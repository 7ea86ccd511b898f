#include "tools/content/bmp_writer.h"

#include "tools/common/byte_writer.h"

std::vector<uint8_t> EncodeBitmap(int width, int height, const std::vector<uint8_t>& rgb,
                                  bool topDown) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageSize = rowBytes * static_cast<uint32_t>(height);
  const uint32_t pixelOffset = 14 + 40;
  ByteWriter out;
  out.U16(0x4D42);  // "BM"
  out.U32(pixelOffset + imageSize);
  out.U16(0);
  out.U16(0);
  out.U32(pixelOffset);
  out.U32(40);
  out.I32(width);
  out.I32(topDown ? -height : height);
  out.U16(1);   // planes
  out.U16(24);  // bits per pixel
  out.U32(0);   // uncompressed
  out.U32(imageSize);
  out.I32(2835);  // 72 dpi
  out.I32(2835);
  out.U32(0);
  out.U32(0);
  for (int i = 0; i < height; ++i) {
    const int row = topDown ? height - 1 - i : i;
    const uint8_t* p = rgb.data() + static_cast<size_t>(row) * width * 3;
    for (int x = 0; x < width; ++x, p += 3) {
      out.U8(p[2]);
      out.U8(p[1]);
      out.U8(p[0]);
    }
    out.Zeros(rowBytes - static_cast<uint32_t>(width) * 3);
  }
  return std::move(out.Bytes());
}

bool WriteBitmap(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                 std::string& error) {
  return WriteFileBytes(path, EncodeBitmap(width, height, rgb), error);
}

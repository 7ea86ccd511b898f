// libFuzzer target for the bitmap decoder: any bytes are either refused with
// a reason or give an image whose every pixel lies in its buffer. Built and
// run by scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool withAlpha : {false, true}) {
    DecodedBitmap image;
    std::string error;
    if (!DecodeBitmap(data, size, withAlpha, image, error)) {
      if (error.empty()) std::abort();  // every refusal gives its reason
      continue;
    }
    const size_t expected =
        static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * image.channels;
    if (image.byteCount != expected) std::abort();
    // Touch the first and last byte so the sanitizer sees the whole buffer.
    volatile uint8_t first = image.pixels[0];
    volatile uint8_t last = image.pixels[image.byteCount - 1];
    (void)first;
    (void)last;
  }
  return 0;
}

// libFuzzer target for the P3D model reader: any bytes are either refused
// with a reason or give a mesh, whose texture path is then read as the game
// would (a directory, a device or a missing file must be refused, not
// crash). Run from a folder holding the seeds' "skin.bmp". Built and run by
// scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/bitmap.h"
#include "assets/p3d_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string texturePath, error;
  if (!CheckP3dFile(data, size, texturePath, error)) {
    if (error.empty()) std::abort();  // every refusal gives its reason
    return 0;
  }
  DecodedBitmap image;
  error.clear();
  if (!LoadBitmapFile(texturePath.c_str(), true, image, error) && error.empty()) std::abort();
  return 0;
}

// asset_seeds: writes small, valid bitmaps and P3D models into two folders,
// the starting corpus of the bitmap and model fuzzers, and the model's
// texture "skin.bmp" into the current folder.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/content/bmp_writer.h"
#include "tools/common/byte_writer.h"
#include "tools/content/p3d_writer.h"

namespace {

std::vector<uint8_t> Pixels(int width, int height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width * height * 3));
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 37 % 256);
  return rgb;
}

// A box of 8 corners and 12 triangles.
P3dMesh Box(const char* texture) {
  P3dMesh mesh;
  for (int k = 0; k < 8; ++k) {
    Vector3 corner((k & 1) ? 1.0f : -1.0f, (k & 2) ? 1.0f : -1.0f, (k & 4) ? 1.0f : -1.0f);
    mesh.positions.push_back(corner);
    mesh.normals.push_back(corner * (1.0f / std::sqrt(3.0f)));
    mesh.texCoords.push_back({(k & 1) ? 1.0f : 0.0f, (k & 2) ? 1.0f : 0.0f});
  }
  mesh.indices = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                  2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
  mesh.texturePath = texture;
  return mesh;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string error;
  if (WriteFileBytes(path, bytes, error)) return true;
  std::fprintf(stderr, "asset_seeds: %s: %s\n", path.c_str(), error.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: asset_seeds BITMAP_DIR P3D_DIR\n");
    return 2;
  }
  const std::string bitmaps = argv[1], models = argv[2];
  bool ok = Write(bitmaps + "/4x4.bmp", EncodeBitmap(4, 4, Pixels(4, 4))) &&
            Write(bitmaps + "/3x2_top_down.bmp", EncodeBitmap(3, 2, Pixels(3, 2), true)) &&
            Write(bitmaps + "/1x1.bmp", EncodeBitmap(1, 1, Pixels(1, 1))) &&
            Write("skin.bmp", EncodeBitmap(2, 2, Pixels(2, 2))) &&
            Write(models + "/box.p3d", EncodeP3d(Box("skin.bmp"))) &&
            Write(models + "/box_missing_texture.p3d", EncodeP3d(Box("none.bmp")));
  return ok ? 0 : 1;
}

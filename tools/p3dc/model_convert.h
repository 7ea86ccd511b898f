#pragma once
#include <string>
#include <vector>

#include "tools/content/p3d_writer.h"
#include "tools/p3dc/texture_image.h"

struct ConvertOptions {
  float scale = 1.0f;
  bool zUp = false;  // turn a Z-up export so its z becomes the game's y
};

// A model read with assimp, every mesh of it joined into one P3D mesh in
// the model's own frame (node transforms applied), with its texture decoded
// and brought to a power-of-two size, or a plain 8 x 8 texture of the
// material's colour when the model has none. The texture path is left for
// the caller. `notes` gets what the author should hear (a second texture
// that one P3D model cannot carry, ...). `textureFile` gets the file the
// texture was read from, or "" when it was not read from a file of its own.
// False with a reason.
bool ConvertModel(const std::string& path, const ConvertOptions& options, P3dMesh& mesh,
                  RgbImage& texture, std::string& textureFile, std::vector<std::string>& notes,
                  std::string& error);

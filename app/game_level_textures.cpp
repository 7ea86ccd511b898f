#include <cstdio>
#include <string>

#include "app/game.h"
#include "level/level_data.h"

namespace {

bool LoadTexture(Texture& texture, const char* path, bool withAlpha, std::string& error) {
  if (texture.Load(path, withAlpha, error)) return true;
  error = "cannot load the level texture \"" + std::string(path) + "\": " + error;
  return false;
}

}  // namespace

bool Game::LoadLevelTextures(std::string& error) {
  for (int32_t i = 0; i < world.materialCount && i < kLevelMaterialCount; ++i) {
    const std::string& name = world.materialNames[i];
    if (!MaterialHasTexture(name)) continue;
    // The level reader keeps names within 66 characters, so the path fits.
    char path[80];
    std::snprintf(path, sizeof path, "textures/%s.bmp", name.c_str());
    if (!LoadTexture(materials[i], path, true, error)) return false;
    Material& material = materials[i];
    material.specular[0] = 0.0f;
    material.specular[1] = 0.0f;
    material.specular[2] = 0.0f;
    material.specular[3] = 1.0f;
  }
  if (!LoadTexture(gCloudsTexture, "models/clouds.bmp", false, error)) return false;
  gLevelMaterials = materials;
  return true;
}

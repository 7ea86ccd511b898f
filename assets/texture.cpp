#include "assets/texture.h"

Texture::~Texture() { delete[] pixels; }
bool Texture::Load(const char*, bool) { return false; }
void Material::Apply(unsigned) const {}
const std::string& LastAssetError() {
  static std::string error;
  return error;
}

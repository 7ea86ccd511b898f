#pragma once
#include <cstdint>
#include <string>

using TextureId = uint32_t;

// An OpenGL texture with the image it was made from. Owns the pixel copy;
// the GL texture itself lives until the process ends.
struct Texture {
  Texture() = default;
  ~Texture();
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  // Reads a 24-bit BMP and uploads it as a mipmapped texture; with `withAlpha`
  // pure black becomes transparent. False, with the reason in `error`, when
  // the file is missing or damaged; the texture is left as it was then.
  // Loading again replaces the image and reuses the GL texture name.
  bool Load(const char* path, bool withAlpha, std::string& error);

  TextureId glName = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint8_t* pixels = nullptr;
};

// A texture with the three lighting colours of a face.
struct Material : Texture {
  // Sets the colours as the GL material of `face` and binds the texture.
  void Apply(unsigned face) const;

  float ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};

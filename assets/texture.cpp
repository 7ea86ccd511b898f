#include "assets/texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "assets/bitmap.h"

Texture::~Texture() { delete[] pixels; }

bool Texture::Load(const char* path, bool withAlpha, std::string& error) {
  DecodedBitmap image;
  if (!LoadBitmapFile(path, withAlpha, image, error)) return false;

  // A reload replaces the image and reuses the GL name, so level materials
  // read again for every game do not pile up textures.
  delete[] pixels;
  pixels = image.pixels.release();
  width = image.width;
  height = image.height;

  glEnable(GL_TEXTURE_2D);
  if (glName == 0) glGenTextures(1, &glName);
  glBindTexture(GL_TEXTURE_2D, glName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  const GLenum format = withAlpha ? GL_RGBA : GL_RGB;
  // The decoded rows are tightly packed, not padded to 4 bytes.
  GLint previousAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), width, height, format,
                    GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
  return true;
}

void Material::Apply(unsigned face) const {
  glMaterialfv(face, GL_AMBIENT, ambient);
  glMaterialfv(face, GL_DIFFUSE, diffuse);
  glMaterialfv(face, GL_SPECULAR, specular);
  glBindTexture(GL_TEXTURE_2D, glName);
}

#include <GL/gl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <vector>

#include "text/font_face.h"
#include "text/fonts.h"

namespace {

// One glyph as a 1-bit bitmap in OpenGL's bottom-up row order, drawn at the
// raster position and advancing it. A character the face lacks draws
// nothing and does not advance. Returns the advance in pixels.
float CompileBitmapGlyph(FT_Face face, bool embolden, unsigned char code, GLuint list) {
  float advance = 0.0f;
  glNewList(list, GL_COMPILE);
  FT_UInt index = FT_Get_Char_Index(face, code);
  if (index != 0 && FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO) == 0) {
    FT_GlyphSlot slot = face->glyph;
    if (embolden) FT_GlyphSlot_Embolden(slot);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0 &&
        slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO && slot->bitmap.pitch >= 0) {
      const FT_Bitmap& bitmap = slot->bitmap;
      const unsigned width = bitmap.width;
      const unsigned rows = bitmap.rows;
      const unsigned stride = (width + 7) / 8;
      std::vector<GLubyte> bits(static_cast<size_t>(stride) * rows);
      for (unsigned row = 0; row < rows; ++row) {
        const unsigned char* source = bitmap.buffer + static_cast<size_t>(row) * bitmap.pitch;
        std::copy(source, source + stride,
                  bits.begin() + static_cast<size_t>(rows - 1 - row) * stride);
      }
      // The bitmap's lower-left corner sits at the raster position minus
      // (xorig, yorig).
      advance = static_cast<float>(slot->advance.x) / 64.0f;
      glBitmap(static_cast<GLsizei>(width), static_cast<GLsizei>(rows),
               static_cast<GLfloat>(-slot->bitmap_left),
               static_cast<GLfloat>(static_cast<int>(rows) - slot->bitmap_top), advance, 0.0f,
               bits.empty() ? nullptr : bits.data());
    }
  }
  glEndList();
  return advance;
}

}  // namespace

bool BuildBitmapFont(uint32_t& base, const char* face, int32_t height, std::string& error,
                     float* advances) {
  base = glGenLists(kFontGlyphCount);
  platform::FontFace font;
  const bool opened = font.Open(face, true, error);
  if (!opened || FT_Set_Pixel_Sizes(font.Face(), 0, height) != 0) {
    if (opened) error = "the face cannot be set to the pixel height";
    DeleteFont(base);
    base = 0;
    return false;
  }
  FT_Matrix condense = {static_cast<FT_Fixed>(font.WidthScale() * 65536.0f), 0, 0, 0x10000};
  FT_Set_Transform(font.Face(), &condense, nullptr);
  // Bitmaps are unpacked while the lists are compiled: tightly packed rows,
  // most significant bit first.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  for (int i = 0; i < kFontGlyphCount; ++i) {
    const float advance = CompileBitmapGlyph(
        font.Face(), font.NeedsEmbolden(), static_cast<unsigned char>(kFontFirstChar + i), base + i);
    if (advances) advances[i] = advance;
  }
  glPopClientAttrib();
  return true;
}

#include "text/fonts.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>

GlyphMetricsFloat metrics[kFontGlyphCount];
uint32_t gMenuFont = 0;

namespace {

// Keeps only the bytes that have a list in the font, so no byte can call a
// display list outside the font's 96.
size_t KeepPrintable(char* text) {
  size_t length = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c >= kFontFirstChar && c < kFontFirstChar + kFontGlyphCount) text[length++] = *p;
  }
  text[length] = '\0';
  return length;
}

}  // namespace

float TextWidth(const float* advances, const char* text) {
  float width = 0.0f;
  for (const char* p = text; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c >= kFontFirstChar && c < kFontFirstChar + kFontGlyphCount) {
      width += advances[c - kFontFirstChar];
    }
  }
  return width;
}

void DeleteFont(uint32_t base) { glDeleteLists(base, kFontGlyphCount); }

void PrintText(uint32_t base, const char* format, ...) {
  if (format == nullptr) return;
  // Longer text is cut at 255 characters rather than overrunning the buffer.
  char text[256];
  va_list args;
  va_start(args, format);
  int written = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (written < 0) return;
  size_t length = KeepPrintable(text);

  // The list base is put back by hand rather than with a push of the list
  // bit: Mesa's software renderer forgets a colour set just before a nested
  // glPushAttrib/glPopAttrib pair when the outer pop restores it, and menu
  // buttons print inside a push of all attributes with their colour just set.
  GLint previousBase = 0;
  glGetIntegerv(GL_LIST_BASE, &previousBase);
  glPushMatrix();
  glListBase(base - kFontFirstChar);
  glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
  glPopMatrix();
  glListBase(static_cast<GLuint>(previousBase));
}

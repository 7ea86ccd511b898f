#include "app/fonts.h"

GlyphMetricsFloat metrics[kFontGlyphCount];
uint32_t gMenuFont = 0;

bool BuildBitmapFont(uint32_t&, const char*, int32_t) { return true; }
bool BuildOutlineFont(uint32_t&, const char*, int32_t, float, GlyphMetricsFloat*) { return true; }
void DeleteFont(uint32_t) {}
void PrintText(uint32_t, const char*, ...) {}
const std::string& LastFontError() {
  static std::string error;
  return error;
}

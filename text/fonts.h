#pragma once
#include <cstdint>
#include <string>

// The size and placement of one outline glyph, in em units (the em square is
// one unit).
struct GlyphMetricsFloat {
  float gmfBlackBoxX;
  float gmfBlackBoxY;
  float gmfptGlyphOriginX;
  float gmfptGlyphOriginY;
  float gmfCellIncX;
  float gmfCellIncY;
};

constexpr int kFontFirstChar = 32;
constexpr int kFontGlyphCount = 96;

// 96 display lists of bitmap glyphs, drawn at the raster position, for the
// characters 32 to 127; `advances`, when given, receives how far each moves
// the raster position, in pixels. False, with the reason in `error`, when no
// face is found.
bool BuildBitmapFont(uint32_t& base, const char* face, int32_t height, std::string& error,
                     float* advances = nullptr);

// The width in pixels of `text` in a bitmap font with these advances; bytes
// without a glyph count nothing, as PrintText leaves them out.
float TextWidth(const float* advances, const char* text);

// 96 display lists of solid glyphs extruded by `depth` along -z, each
// advancing the modelview matrix; fills `metrics` for the same characters.
// False, with the reason in `error`, when no face is found.
bool BuildOutlineFont(uint32_t& base, const char* face, int32_t height, float depth,
                      GlyphMetricsFloat* metrics, std::string& error);

void DeleteFont(uint32_t base);

// Formats like printf (at most 255 characters) and draws with the font.
void PrintText(uint32_t base, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

extern GlyphMetricsFloat metrics[kFontGlyphCount];
extern uint32_t gMenuFont;

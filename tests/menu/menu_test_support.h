#pragma once
#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/video.h"
#include "menu/menu_item.h"
#include "text/fonts.h"

// Glyph metrics for 'a' chosen for the tests, put in place of the font's
// while alive, so hit boxes come out as round numbers.
class FakeLetterMetrics {
 public:
  FakeLetterMetrics(float advance, float height) {
    std::copy(std::begin(metrics), std::end(metrics), saved_);
    GlyphMetricsFloat& a = metrics['a' - kFontFirstChar];
    a = GlyphMetricsFloat{};
    a.gmfCellIncX = advance;
    a.gmfBlackBoxY = height;
  }
  ~FakeLetterMetrics() { std::copy(std::begin(saved_), std::end(saved_), metrics); }
  FakeLetterMetrics(const FakeLetterMetrics&) = delete;
  FakeLetterMetrics& operator=(const FakeLetterMetrics&) = delete;

 private:
  GlyphMetricsFloat saved_[kFontGlyphCount];
};

// The window pixel (origin top-left, y down) of a point in menu coordinates
// on the screen of the current size.
inline MenuMouseState PointerAt(float x, float y, uint32_t buttons = 0) {
  MenuMouseState mouse;
  const float w = gScreenWidthF;
  const float h = gScreenHeightF;
  mouse.mouseX = static_cast<int32_t>(std::lround(x / 1.5f * w + w * 0.5f));
  mouse.mouseY = static_cast<int32_t>(std::lround(h * 0.5f - y / 1.5f * h));
  mouse.buttons = buttons;
  return mouse;
}

inline MenuMouseState PointerInside(const MenuItem& item, uint32_t buttons = 0) {
  return PointerAt((item.boxLeft + item.boxRight) * 0.5f, (item.boxBottom + item.boxTop) * 0.5f,
                   buttons);
}

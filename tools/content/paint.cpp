#include "tools/content/paint.h"

void PaintRect(Image& image, const UvRect& rect,
               const std::function<Colour(float s, float t)>& paint) {
  const int x0 = static_cast<int>(std::lround(rect.u0 * image.Width()));
  const int x1 = static_cast<int>(std::lround(rect.u1 * image.Width()));
  const int y0 = static_cast<int>(std::lround(rect.v0 * image.Height()));
  const int y1 = static_cast<int>(std::lround(rect.v1 * image.Height()));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      float s = (x + 0.5f - x0) / static_cast<float>(x1 - x0);
      float t = (y + 0.5f - y0) / static_cast<float>(y1 - y0);
      image.At(x, y) = paint(s, t);
    }
  }
}

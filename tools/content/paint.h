#pragma once
#include <cmath>
#include <functional>

#include "tools/content/image.h"
#include "tools/content/mesh_builder.h"

// Paints the pixels of `rect`; paint(s, t) gets the pixel centre in 0..1
// across the rectangle and returns its colour.
void PaintRect(Image& image, const UvRect& rect, const std::function<Colour(float s, float t)>& paint);

// 1 inside the band |value - centre| < halfWidth, 0 outside, with a soft
// edge `soft` wide so lines do not shimmer.
inline float Band(float value, float centre, float halfWidth, float soft) {
  float d = std::fabs(value - centre);
  return 1.0f - SmoothStep(halfWidth - soft * 0.5f, halfWidth + soft * 0.5f, d);
}

// The same for a band that repeats every `period`.
inline float RepeatingBand(float value, float period, float halfWidth, float soft) {
  float f = value / period - std::floor(value / period);
  float d = std::fmin(f, 1.0f - f) * period;
  return 1.0f - SmoothStep(halfWidth - soft * 0.5f, halfWidth + soft * 0.5f, d);
}

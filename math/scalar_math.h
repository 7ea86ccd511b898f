#pragma once
#include <algorithm>

// Pi, rounded to the nearest float.
constexpr float kPi = 3.14159265358979f;

// `value` wrapped into 0 to size - 1, negative values included.
inline int Wrap(int value, int size) {
  value %= size;
  return value < 0 ? value + size : value;
}

// 0 up to edge0, 1 from edge1 on, and an S-curve with flat ends between; an
// edge0 above edge1 gives the falling step.
inline float SmoothStep(float edge0, float edge1, float x) {
  const float t = std::min(1.0f, std::max(0.0f, (x - edge0) / (edge1 - edge0)));
  return t * t * (3.0f - 2.0f * t);
}

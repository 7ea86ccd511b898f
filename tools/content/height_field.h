#pragma once
#include <vector>

#include "math/scalar_math.h"
#include "math/vector3.h"

// Heights on a grid that wraps at its edges, lit as a bumpy surface to give
// flat textures relief.
class HeightField {
 public:
  HeightField(int width, int height) : width_(width), height_(height), h_(width * height, 0.0f) {}

  float& At(int x, int y) { return h_[Index(x, y)]; }
  float At(int x, int y) const { return h_[Index(x, y)]; }

  // Brightness of the surface at (x, y) under a light from `towardsLight`;
  // `relief` scales the slopes. 1 for flat ground facing the light straight.
  float Light(int x, int y, float relief, const Vector3& towardsLight) const;

 private:
  int Index(int x, int y) const { return Wrap(y, height_) * width_ + Wrap(x, width_); }
  int width_;
  int height_;
  std::vector<float> h_;
};

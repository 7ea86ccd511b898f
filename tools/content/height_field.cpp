#include "tools/content/height_field.h"

#include <algorithm>

float HeightField::Light(int x, int y, float relief, const Vector3& towardsLight) const {
  float dx = (At(x + 1, y) - At(x - 1, y)) * 0.5f * relief;
  float dy = (At(x, y + 1) - At(x, y - 1)) * 0.5f * relief;
  Vector3 normal = Normalized(Vector3(-dx, -dy, 1.0f));
  Vector3 light = Normalized(towardsLight);
  // Relative to flat ground, so relief brightens and darkens around 1.
  return std::max(0.0f, Dot(normal, light)) / light.z;
}

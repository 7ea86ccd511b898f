#include "tools/content/textures.h"

#include <cmath>

#include "tools/content/height_field.h"
#include "tools/content/noise.h"
#include "math/scalar_math.h"
#include "math/vector3.h"

namespace {

constexpr int kMaterialSize = 256;

// A light from the upper left, as the eye expects of embossed texture.
const Vector3 kEmbossLight(-0.5f, 0.6f, 0.8f);

Colour Ramp(const Colour* colours, const float* stops, int count, float x) {
  if (x <= stops[0]) return colours[0];
  for (int i = 1; i < count; ++i) {
    if (x <= stops[i]) return Mix(colours[i - 1], colours[i], (x - stops[i - 1]) / (stops[i] - stops[i - 1]));
  }
  return colours[count - 1];
}

// Draws a soft dot of `radius` pixels at (cx, cy), wrapping at the edges.
void Splat(Image& image, float cx, float cy, float radius, const Colour& colour, float opacity) {
  int r = static_cast<int>(std::ceil(radius)) + 1;
  for (int y = -r; y <= r; ++y) {
    for (int x = -r; x <= r; ++x) {
      float px = std::floor(cx) + x + 0.5f, py = std::floor(cy) + y + 0.5f;
      float d = std::sqrt((px - cx) * (px - cx) + (py - cy) * (py - cy));
      float a = opacity * (1.0f - SmoothStep(radius - 0.7f, radius + 0.7f, d));
      if (a <= 0.0f) continue;
      Colour& target = image.Wrapped(static_cast<int>(std::floor(px)), static_cast<int>(std::floor(py)));
      target = Mix(target, colour, a);
    }
  }
}

}  // namespace

Image PaintExplosion() {
  constexpr int kSize = 128;
  Image image(kSize, kSize);
  const Colour colours[] = {Hex(0x000000), Hex(0x4A0800), Hex(0xC03000), Hex(0xFF7A10),
                            Hex(0xFFD040), Hex(0xFFF8E0), Hex(0xFFFFFF)};
  const float stops[] = {0.0f, 0.12f, 0.3f, 0.5f, 0.7f, 0.88f, 1.0f};
  image.ForEach([&](Colour& c, float u, float v) {
    float dx = u - 0.5f, dy = v - 0.5f;
    float r = 2.0f * std::sqrt(dx * dx + dy * dy);
    float angle = std::atan2(dy, dx) / (2.0f * kPi) + 0.5f;
    // Licks of flame: turbulence that reaches further out along some rays.
    float rays = PeriodicFbm(angle * 12.0f, r * 2.0f, 12, 4, 0.55f, 41);
    float turbulence = PeriodicFbm(u * 6.0f, v * 6.0f, 6, 5, 0.55f, 42);
    float reach = 0.62f + 0.22f * rays + 0.12f * turbulence;
    float heat = 1.0f - SmoothStep(0.0f, reach, r);
    heat = heat * (0.85f + 0.3f * turbulence);
    heat *= 1.0f - SmoothStep(0.78f, 0.97f, r);  // nothing reaches the square's edge
    c = heat < 0.03f ? Colour() : Ramp(colours, stops, 7, Clamp01(heat * 1.15f));
  });
  return image;
}

Image PaintSphereMap() {
  constexpr int kSize = 256;
  Image image(kSize, kSize);
  const Vector3 sun = Normalized(Vector3(-0.45f, 0.55f, 0.7f));
  image.ForEach([&](Colour& c, float u, float v) {
    float x = 2.0f * u - 1.0f, y = 2.0f * v - 1.0f;
    float rr = x * x + y * y;
    if (rr > 1.0f) {
      // Outside the ball: what lies straight behind it, the horizon haze.
      x /= std::sqrt(rr);
      y /= std::sqrt(rr);
      rr = 1.0f;
    }
    // The direction a ball with normal (x, y, z) reflects the view into.
    float z = std::sqrt(std::max(0.0f, 1.0f - rr));
    Vector3 r(2.0f * z * x, 2.0f * z * y, 2.0f * z * z - 1.0f);
    Colour sky = Mix(Hex(0xD6E8F8), Hex(0x1F57A8), std::pow(Clamp01(r.y), 0.55f));
    // A few clouds on a plane high above.
    float lift = std::max(r.y, 0.05f);
    float cloud = PeriodicFbm(r.x / lift * 1.5f + 20.0f, r.z / lift * 1.5f + 20.0f, 64, 4, 0.5f, 51);
    sky = Mix(sky, Hex(0xF4F8FC), SmoothStep(0.05f, 0.4f, cloud) * SmoothStep(0.02f, 0.25f, r.y) * 0.8f);
    float towardSun = std::max(0.0f, Dot(r, sun));
    sky = sky + Hex(0xFFF6DA) * (std::pow(towardSun, 400.0f) * 3.0f + std::pow(towardSun, 12.0f) * 0.35f);
    Colour ground = Mix(Hex(0x5A564E), Hex(0x1C1C1E), std::pow(Clamp01(-r.y), 0.45f));
    c = r.y >= 0.0f ? sky : ground;
    // A bright band where sky meets ground.
    c = Mix(c, Hex(0xF2F6FA), (1.0f - SmoothStep(0.0f, 0.04f, std::fabs(r.y))) * 0.8f);
  });
  return image;
}

Image PaintMenuBackground() {
  constexpr int kSize = 512;
  constexpr float kHorizon = 0.4f;
  // The square image is stretched over a 4:3 screen; widen x to match.
  constexpr float kAspect = 4.0f / 3.0f;
  Image image(kSize, kSize);
  image.ForEach([&](Colour& c, float u, float v) {
    float x = (u - 0.5f) * 2.0f * kAspect, y = v - kHorizon;
    if (y >= 0.0f) {
      float up = y / (1.0f - kHorizon);
      c = Mix(Hex(0x1F3A5C), Hex(0x04060D), std::pow(up, 0.6f));
      // Faint high haze bands.
      c = c + Hex(0x0C1A2C) * (0.5f + 0.5f * PeriodicFbm(u * 3.0f, v * 12.0f, 3, 4, 0.5f, 61)) *
                  (1.0f - up);
    } else {
      // A floor of glowing lines running to the horizon.
      float below = -y;
      float depth = 0.35f / below;
      float fx = x * depth * 2.2f;
      float fz = depth * 2.0f;
      float pixel = 1.0f / kSize;
      float lineX = std::fabs(fx - std::round(fx)) / (depth * 2.2f * 2.0f * kAspect * pixel);
      float lineZ = std::fabs(fz - std::round(fz)) / (fz / below * pixel);
      // Lines closer together than a few pixels would only shimmer: fade them.
      float spacingZ = below * below / (0.7f * pixel);
      float spacingX = 1.0f / (depth * 2.2f * pixel * 2.0f * kAspect);
      float lineZ2 = (1.0f - SmoothStep(0.3f, 1.3f, lineZ)) * SmoothStep(3.0f, 8.0f, spacingZ);
      float lineX2 = (1.0f - SmoothStep(0.3f, 1.3f, lineX)) * SmoothStep(3.0f, 8.0f, spacingX);
      float line = std::max(lineX2, lineZ2);
      float fade = SmoothStep(0.0f, 0.25f, below);
      c = Mix(Hex(0x0B1424), Hex(0x03050A), SmoothStep(0.0f, 0.4f, below));
      c = c + Hex(0x2A8CD8) * (line * (0.2f + 0.55f * fade) * (1.0f - 0.6f * std::fabs(u - 0.5f)));
    }
    // The horizon glows.
    c = c + Hex(0x58B8FF) * (std::exp(-std::fabs(y) * 60.0f) * 0.9f + std::exp(-std::fabs(y) * 9.0f) * 0.25f);
    // A soft halo behind the ship in the middle of the screen.
    float dy = v - 0.5f;
    float halo = std::exp(-(x * x + dy * dy * 4.0f) * 2.5f);
    c = c + Hex(0x1A3050) * halo;
    // Vignette and film grain.
    float edge = std::sqrt(x * x / (kAspect * kAspect) + (v - 0.5f) * (v - 0.5f) * 4.0f);
    c = c * (1.0f - 0.6f * SmoothStep(0.55f, 1.45f, edge));
    c = c * (1.0f + 0.05f * (Hash01(static_cast<uint32_t>(u * kSize), static_cast<uint32_t>(v * kSize), 62) - 0.5f));
  });
  // Stars in the upper sky.
  Random random(63);
  for (int i = 0; i < 260; ++i) {
    float sx = random.Uniform() * kSize;
    float sy = (kHorizon + 0.08f + random.Uniform() * (0.92f - kHorizon)) * kSize;
    float brightness = random.Uniform();
    brightness *= brightness;
    Splat(image, sx, sy, 0.5f + 0.9f * brightness, Hex(0xDDEBFF), 0.25f + 0.6f * brightness);
  }
  return image;
}

Image PaintMenuMaterial() {
  Image image(kMaterialSize, kMaterialSize);
  image.ForEach([&](Colour& c, float u, float v) {
    float brushed = PeriodicFbm(u * 2.0f, v * 64.0f, 2, 3, 0.5f, 71);
    c = Mix(Hex(0x1C2C42), Hex(0x3C5878), v) * (1.0f + 0.08f * brushed);
    float gx = std::fabs(u * 8.0f - std::round(u * 8.0f)), gy = std::fabs(v * 8.0f - std::round(v * 8.0f));
    float grid = 1.0f - SmoothStep(0.0f, 0.03f, std::min(gx, gy));
    c = Mix(c, Hex(0x6A90B8), grid * 0.35f);
    float dx = u - 0.5f, dy = v - 0.5f;
    c = c * (1.0f - 0.5f * SmoothStep(0.3f, 0.75f, std::sqrt(dx * dx + dy * dy)));
  });
  return image;
}

Image PaintClouds() {
  Image image(kMaterialSize, kMaterialSize);
  image.ForEach([&](Colour& c, float u, float v) {
    float warp = PeriodicFbm(u * 4.0f, v * 4.0f, 4, 3, 0.5f, 81);
    float density = PeriodicFbm(u * 4.0f + warp * 0.6f, v * 4.0f, 4, 6, 0.52f, 82);
    float cover = SmoothStep(-0.05f, 0.35f, density);
    float thick = SmoothStep(0.2f, 0.6f, density);
    Colour sky = Mix(Hex(0x3E78C0), Hex(0x5B93D4), 0.5f + 0.5f * warp);
    Colour cloud = Mix(Hex(0xFFFFFF), Hex(0xB9C6D6), thick * 0.8f);
    c = Mix(sky, cloud, cover);
  });
  return image;
}

Image PaintGrass() {
  Image image(kMaterialSize, kMaterialSize);
  image.ForEach([&](Colour& c, float u, float v) {
    float patches = PeriodicFbm(u * 3.0f, v * 3.0f, 3, 4, 0.5f, 91);
    float dry = SmoothStep(0.15f, 0.5f, PeriodicFbm(u * 2.0f, v * 2.0f, 2, 3, 0.5f, 92));
    c = Mix(Hex(0x36601E), Hex(0x5F8E2E), 0.5f + 0.8f * patches);
    c = Mix(c, Hex(0x8A8E3C), dry * 0.6f);
  });
  // Thousands of short blades leaning every way.
  Random random(93);
  for (int i = 0; i < 14000; ++i) {
    float x = random.Uniform() * kMaterialSize, y = random.Uniform() * kMaterialSize;
    float angle = kPi * 0.5f + random.Signed() * 0.9f;
    float length = random.Range(3.0f, 8.0f);
    float shade = random.Uniform();
    Colour blade = shade < 0.5f ? Mix(Hex(0x1E4012), Hex(0x3E6E22), shade * 2.0f)
                                : Mix(Hex(0x6EA23A), Hex(0xA6C45A), (shade - 0.5f) * 2.0f);
    for (float k = 0.0f; k < length; k += 0.7f) {
      float taper = 1.0f - k / length;
      Splat(image, x + std::cos(angle) * k, y + std::sin(angle) * k, 0.35f + 0.35f * taper, blade,
            0.55f * taper + 0.2f);
    }
  }
  return image;
}

Image PaintRock() {
  HeightField height(kMaterialSize, kMaterialSize);
  std::vector<float> crack(kMaterialSize * kMaterialSize);
  for (int y = 0; y < kMaterialSize; ++y) {
    for (int x = 0; x < kMaterialSize; ++x) {
      float u = (x + 0.5f) / kMaterialSize, v = (y + 0.5f) / kMaterialSize;
      float ridged = 1.0f - std::fabs(PeriodicFbm(u * 4.0f, v * 4.0f, 4, 6, 0.55f, 101));
      float warpU = 0.08f * PeriodicFbm(u * 4.0f, v * 4.0f, 4, 3, 0.5f, 105);
      float warpV = 0.08f * PeriodicFbm(u * 4.0f, v * 4.0f, 4, 3, 0.5f, 106);
      CellDistances cells = PeriodicCells((u + warpU) * 4.0f, (v + warpV) * 4.0f, 4, 102);
      // Cracks between the blocks, fading out here and there.
      float open = SmoothStep(-0.2f, 0.3f, PeriodicFbm(u * 6.0f, v * 6.0f, 6, 3, 0.5f, 107));
      float seam = SmoothStep(0.0f, 0.035f, cells.second - cells.nearest);
      crack[y * kMaterialSize + x] = (1.0f - seam) * open;
      height.At(x, y) = ridged * 0.8f + (seam * 0.3f + 0.2f * Hash01(cells.cellId)) * (0.4f + 0.6f * open);
    }
  }
  Image image(kMaterialSize, kMaterialSize);
  for (int y = 0; y < kMaterialSize; ++y) {
    for (int x = 0; x < kMaterialSize; ++x) {
      float u = (x + 0.5f) / kMaterialSize, v = (y + 0.5f) / kMaterialSize;
      float tint = PeriodicFbm(u * 3.0f, v * 3.0f, 3, 4, 0.5f, 103);
      Colour c = Mix(Hex(0x6A655E), Hex(0x8F877B), 0.5f + tint);
      c = Mix(c, Hex(0x6E7460), SmoothStep(0.25f, 0.5f, PeriodicFbm(u * 5.0f, v * 5.0f, 5, 4, 0.5f, 104)) * 0.5f);
      c = c * (0.85f + 0.3f * height.At(x, y));
      c = Mix(c, Hex(0x2A2724), crack[y * kMaterialSize + x] * 0.6f);
      c = c * height.Light(x, y, 7.0f, kEmbossLight);
      image.At(x, y) = c;
    }
  }
  return image;
}

Image PaintConcrete() {
  HeightField height(kMaterialSize, kMaterialSize);
  Image image(kMaterialSize, kMaterialSize);
  Random random(111);
  for (int y = 0; y < kMaterialSize; ++y) {
    for (int x = 0; x < kMaterialSize; ++x) {
      float u = (x + 0.5f) / kMaterialSize, v = (y + 0.5f) / kMaterialSize;
      // Two by two slabs with sunken joints at a quarter and three quarters
      // across, so the tile's own edge runs through slabs, not along a joint.
      float ju = u * 2.0f - 0.5f, jv = v * 2.0f - 0.5f;
      float jx = std::fabs(ju - std::round(ju)), jy = std::fabs(jv - std::round(jv));
      float joint = 1.0f - SmoothStep(0.004f, 0.014f, std::min(jx, jy));
      float grain = PeriodicFbm(u * 32.0f, v * 32.0f, 32, 3, 0.6f, 112);
      height.At(x, y) = -joint * 1.5f + grain * 0.15f;
      float stain = SmoothStep(0.0f, 0.6f, PeriodicFbm(u * 3.0f, v * 3.0f, 3, 5, 0.55f, 113));
      int slab = static_cast<int>(u * 2.0f + 0.5f) % 2 + 2 * (static_cast<int>(v * 2.0f + 0.5f) % 2);
      Colour c = Mix(Hex(0xA8A7A2), Hex(0xB6B3AB), Hash01(static_cast<uint32_t>(slab), 114));
      c = c * (1.0f + 0.08f * grain);
      c = Mix(c, Hex(0x7E7C76), stain * 0.45f);
      c = Mix(c, Hex(0x55534F), joint);
      image.At(x, y) = c;
    }
  }
  for (int y = 0; y < kMaterialSize; ++y) {
    for (int x = 0; x < kMaterialSize; ++x) image.At(x, y) = image.At(x, y) * height.Light(x, y, 4.0f, kEmbossLight);
  }
  // Small pits and pebbles in the surface.
  for (int i = 0; i < 700; ++i) {
    float x = random.Uniform() * kMaterialSize, y = random.Uniform() * kMaterialSize;
    bool pit = random.Uniform() < 0.6f;
    Splat(image, x, y, random.Range(0.4f, 1.2f), pit ? Hex(0x5E5C58) : Hex(0xC8C5BE), 0.6f);
  }
  return image;
}

Image PaintMetal() {
  constexpr int kCells = 8;
  HeightField height(kMaterialSize, kMaterialSize);
  for (int y = 0; y < kMaterialSize; ++y) {
    for (int x = 0; x < kMaterialSize; ++x) {
      float u = (x + 0.5f) / kMaterialSize * kCells, v = (y + 0.5f) / kMaterialSize * kCells;
      int cx = static_cast<int>(u), cy = static_cast<int>(v);
      float lx = u - cx - 0.5f, ly = v - cy - 0.5f;
      // Tread plate: long diamonds, turned the other way in every other cell.
      float sign = ((cx + cy) % 2 == 0) ? 1.0f : -1.0f;
      float a = (lx + sign * ly) * 0.7071f, b = (lx - sign * ly) * 0.7071f;
      float d = std::sqrt(a * a * 1.0f + b * b * 14.0f);
      height.At(x, y) = 1.0f - SmoothStep(0.3f, 0.38f, d);
    }
  }
  Image image(kMaterialSize, kMaterialSize);
  for (int y = 0; y < kMaterialSize; ++y) {
    for (int x = 0; x < kMaterialSize; ++x) {
      float u = (x + 0.5f) / kMaterialSize, v = (y + 0.5f) / kMaterialSize;
      float brushed = PeriodicFbm(u * 2.0f, v * 96.0f, 2, 3, 0.5f, 121);
      float wear = SmoothStep(0.1f, 0.6f, PeriodicFbm(u * 3.0f, v * 3.0f, 3, 4, 0.5f, 122));
      Colour c = Mix(Hex(0x7C838C), Hex(0x9AA1A9), 0.5f + 0.5f * brushed);
      c = Mix(c, Hex(0x6B5E52), wear * 0.35f);  // a little grime
      c = Mix(c, Hex(0xC4CAD0), height.At(x, y) * 0.35f);
      // Plate seams on the tile's edges.
      float seam = 1.0f - SmoothStep(0.0f, 0.008f, std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v)));
      c = Mix(c, Hex(0x3A3E44), seam);
      image.At(x, y) = c * height.Light(x, y, 2.0f, kEmbossLight);
    }
  }
  return image;
}

Image PaintSand() {
  HeightField height(kMaterialSize, kMaterialSize);
  for (int y = 0; y < kMaterialSize; ++y) {
    for (int x = 0; x < kMaterialSize; ++x) {
      float u = (x + 0.5f) / kMaterialSize, v = (y + 0.5f) / kMaterialSize;
      // Wind ripples, bent by noise; whole waves per tile so it repeats.
      float bend = PeriodicFbm(u * 2.0f, v * 2.0f, 2, 4, 0.5f, 131);
      float phase = 7.0f * v + 1.0f * u + 0.35f * bend;
      float ripple = std::sin(2.0f * kPi * phase);
      ripple = ripple > 0.0f ? std::pow(ripple, 0.7f) : -std::pow(-ripple, 1.6f);
      height.At(x, y) = ripple * 0.5f + 0.3f * PeriodicFbm(u * 8.0f, v * 8.0f, 8, 4, 0.5f, 132);
    }
  }
  Image image(kMaterialSize, kMaterialSize);
  for (int y = 0; y < kMaterialSize; ++y) {
    for (int x = 0; x < kMaterialSize; ++x) {
      float u = (x + 0.5f) / kMaterialSize, v = (y + 0.5f) / kMaterialSize;
      float tint = PeriodicFbm(u * 3.0f, v * 3.0f, 3, 4, 0.5f, 133);
      Colour c = Mix(Hex(0xC9A66E), Hex(0xDDBF88), 0.5f + tint);
      float grain = Hash01(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 134);
      c = c * (0.93f + 0.14f * grain);
      if (grain > 0.985f) c = Mix(c, Hex(0x7A6A58), 0.6f);  // dark grains
      image.At(x, y) = c * height.Light(x, y, 1.6f, kEmbossLight);
    }
  }
  return image;
}

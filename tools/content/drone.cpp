#include <cmath>
#include <vector>

#include "tools/content/models.h"
#include "tools/content/noise.h"
#include "tools/content/paint.h"
#include "math/scalar_math.h"

namespace {

constexpr int kTextureSize = 128;
// Body: around the rim across, bottom (0) to top (1) upwards.
constexpr UvRect kBody{0.0f, 0.5f, 1.0f, 1.0f};
constexpr UvRect kDome{0.0f, 0.0f, 0.5f, 0.5f};
constexpr UvRect kEye{0.5f, 0.0f, 0.75f, 0.25f};
constexpr UvRect kFin{0.75f, 0.0f, 1.0f, 0.5f};
constexpr int kRing = 24;

// The saucer is laid out as a solid of revolution round z, then stood up:
// its z axis becomes y, so the top of the profile is the top of the craft.
Vector3 Upright(const Vector3& p) { return Vector3(p.x, p.z, -p.y); }

std::vector<Vector3> UprightRing(float height, float radius) {
  std::vector<Vector3> ring = EllipseRing(kRing, 0, 0, height, radius, radius);
  for (Vector3& p : ring) p = Upright(p);
  return ring;
}

}  // namespace

MeshBuilder BuildDroneMesh() {
  MeshBuilder mesh;
  // Height, radius: a flat hull with a sharp rim, bottom to top.
  const float hull[][2] = {{-1.1f, 0.0f}, {-1.0f, 1.3f}, {-0.6f, 2.9f}, {-0.1f, 3.8f},
                           {0.15f, 3.8f}, {0.5f, 3.1f},  {0.75f, 1.9f}};
  std::vector<std::vector<Vector3>> rows;
  for (const auto& h : hull) rows.push_back(UprightRing(h[0], h[1]));
  const float bottom = hull[0][0], top = hull[6][0];
  mesh.AddGrid(rows, true, Shading::kSmooth, [=](const Vector3& p, const Vector3&, float s, float) {
    return kBody.At(s, (p.y - bottom) / (top - bottom));
  });
  // The sensor dome on top.
  const float dome[][2] = {{0.75f, 1.9f}, {1.1f, 1.7f}, {1.4f, 1.2f}, {1.6f, 0.6f}, {1.65f, 0.0f}};
  std::vector<std::vector<Vector3>> domeRows;
  for (const auto& d : dome) domeRows.push_back(UprightRing(d[0], d[1]));
  mesh.AddGrid(domeRows, true, Shading::kSmooth, [](const Vector3& p, const Vector3&, float, float) {
    return kDome.At(0.5f + 0.25f * p.x, 0.5f + 0.25f * p.z);
  });
  // The eye at the front rim, looking along +z.
  const float eyeHalf = 0.7f;
  std::vector<Vector3> eye = {Vector3(-eyeHalf, -0.25f, 3.75f), Vector3(eyeHalf, -0.25f, 3.75f),
                              Vector3(eyeHalf, 0.35f, 3.75f), Vector3(-eyeHalf, 0.35f, 3.75f)};
  mesh.AddSlab(eye, Vector3(0, 0, 0.35f), [=](const Vector3& p, const Vector3&, float, float) {
    return kEye.At(Clamp01((p.x + eyeHalf) / (2 * eyeHalf)), Clamp01((p.y + 0.25f) / 0.6f));
  });
  // Two stabiliser fins at the back, splayed outwards.
  for (float side : {-1.0f, 1.0f}) {
    std::vector<Vector3> fin = {Vector3(side * 1.2f, 0.6f, -2.2f), Vector3(side * 1.5f, 0.6f, -3.4f),
                                Vector3(side * 2.1f, 1.9f, -3.7f), Vector3(side * 1.8f, 1.9f, -3.0f)};
    for (Vector3& p : fin) p.x -= side * 0.06f;
    mesh.AddSlab(fin, Vector3(side * 0.12f, 0, 0), [](const Vector3& p, const Vector3&, float, float) {
      return kFin.At(Clamp01((-p.z - 2.2f) / 1.5f), Clamp01((p.y - 0.6f) / 1.3f));
    });
  }
  return mesh;
}

Image PaintDroneTexture() {
  Image image(kTextureSize, kTextureSize, Hex(0x505458));
  const Colour hull = Hex(0x3C4046), panel = Hex(0x2A2D31), hazard = Hex(0xF08A12),
               dark = Hex(0x16181A);
  PaintRect(image, kBody, [&](float s, float t) {
    Colour c = hull;
    // Panel seams round the rim, and a hazard band along its edge.
    c = Mix(c, panel, RepeatingBand(s, 1.0f / 12.0f, 0.004f, 0.006f));
    const bool stripe = static_cast<int>(std::floor(s * 48.0f)) % 2 == 0;
    c = Mix(c, stripe ? hazard : dark, Band(t, 0.5f, 0.07f, 0.03f));
    c = Mix(c, dark, Band(t, 0.12f, 0.05f, 0.03f));
    return c * (1.0f + 0.08f * PeriodicFbm(s * 16, t * 8, 16, 4, 0.5f, 41));
  });
  PaintRect(image, kDome, [](float s, float t) {
    float d = 2.0f * std::sqrt((s - 0.5f) * (s - 0.5f) + (t - 0.5f) * (t - 0.5f));
    Colour c = Hex(0x102030);
    c = Mix(c, Hex(0x5A8CB0), SmoothStep(0.9f, 0.3f, d) * 0.6f);
    return Mix(c, Hex(0xE8F4FF), Band(s - t, -0.18f, 0.05f, 0.04f) * 0.7f);  // a glint
  });
  PaintRect(image, kEye, [](float s, float t) {
    float d = std::sqrt((s - 0.5f) * (s - 0.5f) * 0.5f + (t - 0.5f) * (t - 0.5f) * 2.0f);
    Colour c = Hex(0x300404);
    c = Mix(c, Hex(0xFF2010), SmoothStep(0.45f, 0.15f, d));
    return Mix(c, Hex(0xFFD0A0), SmoothStep(0.12f, 0.02f, d));
  });
  PaintRect(image, kFin, [&](float s, float t) {
    Colour c = Mix(hull, hazard, SmoothStep(0.7f, 0.75f, t));
    return c * (1.0f + 0.06f * PeriodicFbm(s * 8, t * 8, 8, 3, 0.5f, 42));
  });
  return image;
}

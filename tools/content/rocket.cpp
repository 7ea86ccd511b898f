#include <cmath>
#include <vector>

#include "tools/content/models.h"
#include "tools/content/noise.h"
#include "tools/content/paint.h"
#include "math/scalar_math.h"

namespace {

constexpr int kTextureSize = 128;
// Body: along z across (nose at s = 0), around the body upwards.
constexpr UvRect kBody{0.0f, 0.5f, 1.0f, 1.0f};
// Fins: along z across, root (0) to tip (1) upwards.
constexpr UvRect kFins{0.0f, 0.0f, 0.5f, 0.5f};
constexpr UvRect kFlame{0.5f, 0.0f, 1.0f, 0.5f};
constexpr float kNoseZ = -1.0f, kTailZ = 1.0f;
constexpr float kRadius = 0.12f;
constexpr int kRing = 12;

float BodyS(float z) { return (z - kNoseZ) / (kTailZ - kNoseZ); }

}  // namespace

MeshBuilder BuildRocketMesh() {
  MeshBuilder mesh;
  auto bodyUv = [](const Vector3& p, const Vector3&, float s, float) {
    return kBody.At(BodyS(p.z), s);
  };
  // z, radius as a share of the body's.
  const float body[][2] = {{-1.0f, 0.0f},  {-0.92f, 0.4f}, {-0.8f, 0.72f}, {-0.66f, 0.92f},
                           {-0.52f, 1.0f}, {0.7f, 1.0f},   {0.8f, 0.88f}};
  std::vector<std::vector<Vector3>> rows;
  for (const auto& b : body) rows.push_back(EllipseRing(kRing, 0, 0, b[0], kRadius * b[1], kRadius * b[1]));
  mesh.AddGrid(rows, true, Shading::kSmooth, bodyUv);

  // The nozzle bell, open to the back, with the flame at its throat.
  const float nozzle[][2] = {{0.8f, 0.88f}, {0.82f, 0.62f}, {0.98f, 0.85f}, {0.98f, 0.62f},
                             {0.9f, 0.5f}};
  std::vector<std::vector<Vector3>> bell;
  for (const auto& n : nozzle) bell.push_back(EllipseRing(kRing, 0, 0, n[0], kRadius * n[1], kRadius * n[1]));
  mesh.AddGrid(bell, true, Shading::kFlat, bodyUv);
  mesh.AddCap(bell.back(), [](const Vector3& p, const Vector3&, float, float) {
    const float r = kRadius * 0.5f;
    return kFlame.At(0.5f + 0.5f * p.x / r, 0.5f + 0.5f * p.y / r);
  });

  // Four swept fins in an X.
  for (int k = 0; k < 4; ++k) {
    float angle = kPi * (0.25f + 0.5f * static_cast<float>(k));
    Vector3 out(std::cos(angle), std::sin(angle), 0);
    Vector3 across(-out.y, out.x, 0);
    const float rootR = kRadius * 0.9f, tipR = 0.34f;
    std::vector<Vector3> fin = {out * rootR + Vector3(0, 0, 0.3f), out * rootR + Vector3(0, 0, 0.8f),
                                out * tipR + Vector3(0, 0, 0.92f), out * tipR + Vector3(0, 0, 0.66f)};
    for (Vector3& p : fin) p -= across * 0.0125f;
    mesh.AddSlab(fin, across * 0.025f, [=](const Vector3& p, const Vector3&, float, float) {
      // Rounding in cos and sin can put the root and tip a hair outside.
      float radial = Dot(p, out);
      return kFins.At(BodyS(p.z), Clamp01((radial - rootR) / (tipR - rootR)));
    });
  }
  return mesh;
}

Image PaintRocketTexture() {
  Image image(kTextureSize, kTextureSize, Hex(0x808080));
  const Colour white = Hex(0xECEDEF), red = Hex(0xD8261C), dark = Hex(0x2A2C30);
  PaintRect(image, kBody, [&](float s, float t) {
    const float z = kNoseZ + (kTailZ - kNoseZ) * s;
    const float pz = 2.0f / 128.0f;
    Colour c = white;
    c = Mix(c, red, SmoothStep(-0.6f, -0.64f, z));  // nose cone
    // The classic black-and-white roll pattern in the middle.
    bool checker = (static_cast<int>(std::floor(t * 4.0f)) % 2 == 0);
    c = Mix(c, checker ? dark : white, Band(z, 0.05f, 0.12f, pz));
    c = Mix(c, red, Band(z, 0.45f, 0.05f, pz));
    c = Mix(c, Hex(0x5A5E66), SmoothStep(0.76f, 0.8f, z));  // nozzle
    c = Mix(c, dark, Band(z, -0.45f, 0.012f, pz));
    return c * (1.0f + 0.05f * PeriodicFbm(s * 8, t * 8, 8, 3, 0.5f, 31));
  });
  PaintRect(image, kFins, [&](float s, float t) {
    Colour c = red;
    c = Mix(c, dark, SmoothStep(0.82f, 0.86f, t));
    c = Mix(c, white, Band(t, 0.5f, 0.06f, 0.02f));
    return c * (1.0f + 0.05f * PeriodicFbm(s * 8, t * 8, 8, 3, 0.5f, 32));
  });
  PaintRect(image, kFlame, [](float s, float t) {
    float d = 2.0f * std::sqrt((s - 0.5f) * (s - 0.5f) + (t - 0.5f) * (t - 0.5f));
    Colour c = Hex(0x601808);
    c = Mix(c, Hex(0xFF7A10), SmoothStep(1.0f, 0.6f, d));
    c = Mix(c, Hex(0xFFF4C0), SmoothStep(0.55f, 0.1f, d));
    return c;
  });
  return image;
}

#include <cmath>
#include <vector>

#include "tools/content/models.h"
#include "tools/content/ship_layout.h"
#include "math/scalar_math.h"

using namespace ship_layout;

namespace {

constexpr float kDegrees = kPi / 180.0f;

// The hull's cross section: chine, side wall, shoulder, deck, keel;
// counter-clockwise seen from the tail.
std::vector<Vector3> HullRing(const HullSection& s) {
  const float w = s.halfWidth, h = s.deck, d = s.keel;
  const float profile[][2] = {{w, 0},          {0.96f * w, 0.28f * h}, {0.68f * w, 0.68f * h},
                              {0.24f * w, h},  {-0.24f * w, h},        {-0.68f * w, 0.68f * h},
                              {-0.96f * w, 0.28f * h}, {-w, 0},        {-0.62f * w, -d},
                              {0.62f * w, -d}};
  std::vector<Vector3> ring;
  for (const auto& p : profile) ring.emplace_back(p[0], p[1], s.z);
  return ring;
}

Vector2 HullUv(const Vector3& p, const Vector3& n) {
  if (n.y >= 0.45f) return kHullTop.At(kHullX.ToUnit(p.x), kHullZ.ToUnit(p.z));
  if (n.y <= -0.45f) return kHullBottom.At(kHullX.ToUnit(p.x), kHullZ.ToUnit(p.z));
  return kHullSide.At(kHullY.ToUnit(p.y), kHullZ.ToUnit(p.z));
}

void AddHull(MeshBuilder& mesh) {
  std::vector<std::vector<Vector3>> rows;
  for (const HullSection& s : kHullSections) rows.push_back(HullRing(s));
  auto uv = [](const Vector3& p, const Vector3& n, float, float) { return HullUv(p, n); };
  mesh.AddGrid(rows, true, Shading::kFlat, uv);
  mesh.AddCap(rows.back(), [](const Vector3& p, const Vector3&, float, float) {
    return kHullBottom.At(kHullX.ToUnit(p.x), 0.02f);
  });
}

void AddCanopy(MeshBuilder& mesh) {
  // z, half width, height of the bubble above the deck.
  const float sections[][3] = {{-1.45f, 0.0f, 0.0f},  {-1.1f, 0.2f, 0.14f}, {-0.6f, 0.3f, 0.28f},
                               {0.0f, 0.33f, 0.33f},  {0.55f, 0.28f, 0.26f}, {0.9f, 0.15f, 0.12f},
                               {1.0f, 0.0f, 0.0f}};
  constexpr int kArcPoints = 9;
  std::vector<std::vector<Vector3>> rows;
  for (const auto& s : sections) {
    // Sunk a little into the deck so no gap shows along the shoulders.
    const float base = HullAt(s[0]).deck * 0.85f;
    std::vector<Vector3> row;
    for (int k = 0; k < kArcPoints; ++k) {
      float angle = kPi * static_cast<float>(k) / (kArcPoints - 1);
      float lift = std::pow(std::sin(angle), 0.7f);
      row.emplace_back(s[1] * std::cos(angle), base + s[2] * lift, s[0]);
    }
    rows.push_back(row);
  }
  mesh.AddGrid(rows, false, Shading::kSmooth, [](const Vector3& p, const Vector3&, float s, float) {
    return kCanopy.At(s, kCanopyZ.ToUnit(p.z));
  });
}

UvFunction GlowUv(float cx, float cy, float radius) {
  return [=](const Vector3& p, const Vector3&, float, float) {
    return kGlow.At(0.5f + 0.5f * (p.x - cx) / radius, 0.5f + 0.5f * (p.y - cy) / radius);
  };
}

// The right-hand pontoon; the left one is its mirror image.
void AddPod(MeshBuilder& mesh) {
  constexpr float cx = 1.22f, cy = 0.0f, rx = 0.25f, ry = 0.22f;
  const float sections[][2] = {{-1.7f, 0.0f},  {-1.45f, 0.45f}, {-1.05f, 0.8f}, {-0.5f, 0.97f},
                               {0.2f, 1.0f},   {1.8f, 1.0f},    {2.3f, 0.92f},  {2.5f, 0.7f}};
  std::vector<std::vector<Vector3>> rows;
  for (const auto& s : sections) rows.push_back(EllipseRing(16, cx, cy, s[0], rx * s[1], ry * s[1]));
  mesh.AddGrid(rows, true, Shading::kSmooth, [](const Vector3& p, const Vector3&, float s, float) {
    return kPod.At(kPodZ.ToUnit(p.z), s);
  });
  mesh.AddCap(rows.back(), GlowUv(cx, cy, rx * 0.7f));
}

// The right-hand engine with its tail fin.
void AddNacelle(MeshBuilder& mesh) {
  constexpr float cx = 0.52f, cy = 0.66f, r = 0.21f;
  constexpr int kRing = 16;
  auto uv = [](const Vector3& p, const Vector3&, float s, float) {
    return kNacelle.At(kNacelleZ.ToUnit(p.z), s);
  };
  const float body[][2] = {{0.55f, 0.0f}, {0.7f, 0.6f},  {0.95f, 0.92f}, {1.2f, 1.0f},
                           {2.45f, 1.0f}, {2.7f, 1.1f},  {2.8f, 1.1f}};
  std::vector<std::vector<Vector3>> rows;
  for (const auto& s : body) rows.push_back(EllipseRing(kRing, cx, cy, s[0], r * s[1], r * s[1]));
  mesh.AddGrid(rows, true, Shading::kSmooth, uv);
  // The nozzle: the rim, then the inside wall back to the glowing exhaust.
  std::vector<std::vector<Vector3>> nozzle = {
      rows.back(), EllipseRing(kRing, cx, cy, 2.8f, r * 0.75f, r * 0.75f),
      EllipseRing(kRing, cx, cy, 2.62f, r * 0.75f, r * 0.75f)};
  mesh.AddGrid(nozzle, true, Shading::kFlat, [](const Vector3&, const Vector3&, float s, float) {
    return kNacelle.At(0.995f, s);
  });
  mesh.AddCap(nozzle.back(), GlowUv(cx, cy, r * 0.75f));

  // The tail fin stands on the nacelle, canted outwards.
  const float cant = 12.0f * kDegrees;
  const float root = cy + r * 0.85f, tip = 1.4f;
  auto finPoint = [&](float z, float y) {
    return Vector3(cx + (y - root) * std::tan(cant), y, z);
  };
  std::vector<Vector3> fin = {finPoint(1.45f, root), finPoint(2.62f, root), finPoint(2.78f, tip),
                              finPoint(2.36f, tip)};
  const Vector3 across = Vector3(std::cos(cant), -std::sin(cant), 0) * 0.05f;
  for (Vector3& p : fin) p -= across * 0.5f;
  mesh.AddSlab(fin, across, [=](const Vector3& p, const Vector3&, float, float) {
    return kFin.At(kFinZ.ToUnit(p.z), Clamp01((p.y - root) / (tip - root)));
  });
}

// The right-hand wing, swept back from the pontoon with a little droop.
void AddWing(MeshBuilder& mesh) {
  std::vector<Vector3> wing = {Vector3(1.38f, 0.0f, 0.6f), Vector3(2.1f, -0.09f, 1.75f),
                               Vector3(2.1f, -0.09f, 2.35f), Vector3(1.38f, 0.0f, 2.25f)};
  mesh.AddSlab(wing, Vector3(0, 0.05f, 0), [](const Vector3& p, const Vector3&, float, float) {
    return kFin.At(kFinZ.ToUnit(p.z), Clamp01((p.x - 1.38f) / 0.72f));
  });
}

// The spoiler across the two fin tips.
void AddSpoiler(MeshBuilder& mesh) {
  std::vector<Vector3> spoiler = {Vector3(-0.68f, 1.37f, 2.34f), Vector3(0.68f, 1.37f, 2.34f),
                                  Vector3(0.68f, 1.37f, 2.82f), Vector3(-0.68f, 1.37f, 2.82f)};
  mesh.AddSlab(spoiler, Vector3(0, 0.05f, 0), [](const Vector3& p, const Vector3&, float, float) {
    return kFin.At(kFinZ.ToUnit(p.z), 0.9f + 0.1f * std::fabs(p.x) / 0.68f);
  });
}

}  // namespace

MeshBuilder BuildShipMesh() {
  MeshBuilder mesh;
  AddHull(mesh);
  AddCanopy(mesh);
  AddSpoiler(mesh);
  MeshBuilder side;
  AddPod(side);
  AddNacelle(side);
  AddWing(side);
  mesh.Append(side);
  mesh.Append(side, true);
  return mesh;
}

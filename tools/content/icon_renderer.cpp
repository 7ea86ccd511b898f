#include "tools/content/icon_renderer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "math/scalar_math.h"

namespace {

constexpr float kDegrees = kPi / 180.0f;
constexpr int kSamples = 4;  // per pixel side, for smooth edges
constexpr float kFill = 0.92f;

Vector3 Unit(const Vector3& a) {
  float length = a.Length();
  return length > 0 ? a * (1.0f / length) : a;
}

// Model to view space: turned about y so the nose (-z) points to the lower
// left, then tipped forward to look down on the deck. View x is right, y up,
// z towards the viewer.
Vector3 ToView(const Vector3& p) {
  const float yaw = -50.0f * kDegrees, pitch = 48.0f * kDegrees;
  float x = p.x * std::cos(yaw) + p.z * std::sin(yaw);
  float z = -p.x * std::sin(yaw) + p.z * std::cos(yaw);
  float y = p.y * std::cos(pitch) - z * std::sin(pitch);
  z = p.y * std::sin(pitch) + z * std::cos(pitch);
  return {x, y, z};
}

Colour Sample(const Image& texture, Vector2 uv) {
  float fx = uv.u * texture.Width() - 0.5f, fy = uv.v * texture.Height() - 0.5f;
  int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  float tx = fx - x0, ty = fy - y0;
  auto at = [&texture](int x, int y) {
    return texture.At(std::clamp(x, 0, texture.Width() - 1), std::clamp(y, 0, texture.Height() - 1));
  };
  return Mix(Mix(at(x0, y0), at(x0 + 1, y0), tx), Mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), tx), ty);
}

Colour Shade(const Colour& albedo, const Vector3& normal) {
  const Vector3 light = Unit({-0.45f, 0.75f, 0.5f});
  const Vector3 half = Unit(light + Vector3(0, 0, 1));
  float diffuse = std::max(0.0f, Dot(normal, light));
  float specular = std::pow(std::max(0.0f, Dot(normal, half)), 24.0f);
  return albedo * (0.38f + 0.75f * diffuse) + Colour(1, 1, 1) * (0.3f * specular);
}

struct Canvas {
  int side;
  std::vector<float> depth;
  std::vector<Colour> colour;
  std::vector<uint8_t> covered;
  explicit Canvas(int s)
      : side(s),
        depth(static_cast<size_t>(s) * s, -std::numeric_limits<float>::infinity()),
        colour(static_cast<size_t>(s) * s),
        covered(static_cast<size_t>(s) * s, 0) {}
};

}  // namespace

std::vector<uint8_t> RenderModelIcon(const P3dMesh& mesh, const Image& texture, int size) {
  std::vector<Vector3> view(mesh.positions.size());
  float minX = std::numeric_limits<float>::max(), maxX = -minX, minY = minX, maxY = -minX;
  for (size_t i = 0; i < view.size(); ++i) {
    view[i] = ToView(mesh.positions[i]);
    minX = std::min(minX, view[i].x);
    maxX = std::max(maxX, view[i].x);
    minY = std::min(minY, view[i].y);
    maxY = std::max(maxY, view[i].y);
  }
  Canvas canvas(size * kSamples);
  const float scale = kFill * canvas.side / std::max(maxX - minX, maxY - minY);
  const float centreX = (minX + maxX) / 2, centreY = (minY + maxY) / 2;
  // Canvas coordinates: x right, y down, in samples.
  std::vector<Vector3> screen(view.size());
  for (size_t i = 0; i < view.size(); ++i) {
    screen[i] = {canvas.side / 2.0f + (view[i].x - centreX) * scale,
                 canvas.side / 2.0f - (view[i].y - centreY) * scale, view[i].z};
  }

  for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
    const uint32_t ia = mesh.indices[t], ib = mesh.indices[t + 1], ic = mesh.indices[t + 2];
    if (std::max({ia, ib, ic}) >= screen.size()) continue;
    const Vector3 &a = screen[ia], &b = screen[ib], &c = screen[ic];
    // Counter-clockwise in view space is clockwise here, y being flipped.
    float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (area >= 0) continue;
    int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
    int x1 = std::min(canvas.side - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
    int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
    int y1 = std::min(canvas.side - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        float px = x + 0.5f, py = y + 0.5f;
        float wa = ((c.x - b.x) * (py - b.y) - (c.y - b.y) * (px - b.x)) / area;
        float wb = ((a.x - c.x) * (py - c.y) - (a.y - c.y) * (px - c.x)) / area;
        float wc = 1.0f - wa - wb;
        if (wa < 0 || wb < 0 || wc < 0) continue;
        float z = wa * a.z + wb * b.z + wc * c.z;
        size_t at = static_cast<size_t>(y) * canvas.side + x;
        if (z <= canvas.depth[at]) continue;
        canvas.depth[at] = z;
        Vector2 uv{wa * mesh.texCoords[ia].u + wb * mesh.texCoords[ib].u + wc * mesh.texCoords[ic].u,
                   wa * mesh.texCoords[ia].v + wb * mesh.texCoords[ib].v + wc * mesh.texCoords[ic].v};
        Vector3 normal = Unit(
            ToView(mesh.normals[ia] * wa + mesh.normals[ib] * wb + mesh.normals[ic] * wc));
        canvas.colour[at] = Shade(Sample(texture, uv), normal);
        canvas.covered[at] = 1;
      }
    }
  }

  // Each pixel averages its samples; the covered share is its opacity.
  std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Colour sum;
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          size_t at = static_cast<size_t>(y * kSamples + sy) * canvas.side + x * kSamples + sx;
          if (!canvas.covered[at]) continue;
          sum = sum + canvas.colour[at];
          ++hits;
        }
      }
      uint8_t* out = &rgba[(static_cast<size_t>(y) * size + x) * 4];
      if (hits) sum = sum * (1.0f / hits);
      const float channels[] = {sum.r, sum.g, sum.b, hits / float(kSamples * kSamples)};
      for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(std::lround(Clamp01(channels[i]) * 255));
    }
  }
  return rgba;
}

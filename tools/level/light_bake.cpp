#include "tools/level/light_bake.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>

#include "tools/level/mesh_subdivision.h"
#include "tools/level/parallel_for.h"
#include "tools/level/ray_scene.h"

namespace {

// Rays start this far off the surface so they do not hit their own face.
constexpr float kRayOffset = 0.05f;
constexpr float kFar = std::numeric_limits<float>::infinity();

Vector3 SafeNormal(const Vector3& n) {
  float length = n.Length();
  return length > 0.0f ? n * (1.0f / length) : Vector3(0, 1, 0);
}

// Directions over the hemisphere around +z, denser toward the pole as the
// cosine weights them (a golden-angle spiral on the disc, lifted): the
// fraction of them that reach the sky is the cosine-weighted sky light.
// Fixed, so the bake gives the same colours every time.
std::vector<Vector3> HemisphereDirections(int count) {
  std::vector<Vector3> directions;
  const float golden = 2.39996323f;
  for (int k = 0; k < count; ++k) {
    float r = std::sqrt((static_cast<float>(k) + 0.5f) / static_cast<float>(count));
    float angle = golden * static_cast<float>(k);
    directions.push_back(
        Vector3(r * std::cos(angle), r * std::sin(angle), std::sqrt(std::max(0.0f, 1.0f - r * r))));
  }
  return directions;
}

class Baker {
 public:
  Baker(const RayScene& scene, const BakeOptions& options)
      : scene_(scene),
        options_(options),
        towardSun_(SafeNormal(options.towardSun)),
        directions_(HemisphereDirections(std::max(1, options.skyRays))) {}

  // The sun's share at a point: the cosine when the sun is in sight, else 0.
  float Sunlight(const Vector3& p, const Vector3& n) const {
    float facing = Dot(n, towardSun_);
    if (facing <= 0.0f) return 0.0f;
    rays_.fetch_add(1, std::memory_order_relaxed);
    return scene_.Occluded(p + n * kRayOffset, towardSun_, 0.0f, kFar) ? 0.0f : facing;
  }

  float SkyVisibility(const Vector3& p, const Vector3& n) const {
    // A frame around n that turns smoothly with it for the usual normals.
    Vector3 helper = std::fabs(n.z) < 0.9f ? Vector3(0, 0, 1) : Vector3(1, 0, 0);
    Vector3 u = SafeNormal(CrossProduct(helper, n));
    Vector3 v = CrossProduct(n, u);
    Vector3 origin = p + n * kRayOffset;
    int open = 0;
    for (const Vector3& d : directions_) {
      Vector3 direction = u * d.x + v * d.y + n * d.z;
      if (!scene_.Occluded(origin, direction, 0.0f, kFar)) ++open;
    }
    rays_.fetch_add(directions_.size(), std::memory_order_relaxed);
    return static_cast<float>(open) / static_cast<float>(directions_.size());
  }

  Colour VertexColour(const Vector3& p, const Vector3& normal) const {
    Vector3 n = SafeNormal(normal);
    float sun = Sunlight(p, n);
    float sky = SkyVisibility(p, n);
    float k = 1.0f / WorldLightResponse(n);
    const Colour& s = options_.sun;
    const Colour& a = options_.sky;
    const Colour& b = options_.bounce;
    float hidden = 1.0f - sky;
    return Colour{(s.r * sun + a.r * sky + b.r * hidden) * k,
                  (s.g * sun + a.g * sky + b.g * hidden) * k,
                  (s.b * sun + a.b * sky + b.b * hidden) * k, 1.0f};
  }

  size_t Rays() const { return rays_.load(); }

 private:
  const RayScene& scene_;
  const BakeOptions& options_;
  Vector3 towardSun_;
  std::vector<Vector3> directions_;
  mutable std::atomic<size_t> rays_{0};
};

}  // namespace

float WorldLightResponse(const Vector3& n) {
  // OpenGL's global ambient 0.2 plus the light's ambient 0.05 and diffuse 0.3.
  static const Vector3 towardLight = SafeNormal(Vector3(0.5f, -1.0f, 0.5f));
  return 0.25f + 0.3f * std::max(0.0f, Dot(n, towardLight));
}

bool BakeLight(LevelMesh& mesh, const BakeOptions& options, BakeReport& report,
               std::string& error) {
  auto start = std::chrono::steady_clock::now();
  report = BakeReport{};
  report.trianglesBefore = mesh.triangles.size();
  report.verticesBefore = mesh.positions.size();

  // The surfaces do not move when triangles are halved, so one scene of the
  // mesh as given serves the whole bake.
  std::vector<std::array<uint32_t, 3>> triangles;
  triangles.reserve(mesh.triangles.size());
  for (const MeshTriangle& t : mesh.triangles) {
    triangles.push_back({t.vertex[0], t.vertex[1], t.vertex[2]});
  }
  RayScene scene;
  if (!scene.Build(mesh.positions, triangles, error)) return false;
  triangles = {};
  Baker baker(scene, options);

  if (options.subdivide) {
    SubdivisionOptions split;
    split.minEdge = options.minEdge;
    split.maxEdge = options.maxEdge;
    split.maxRounds = options.maxRounds;
    SubdivideForLight(
        mesh, [&](const Vector3& p, const Vector3& n) { return baker.Sunlight(p, n); }, split);
  }

  mesh.colours.assign(mesh.positions.size(), Colour{1, 1, 1, 1});
  ParallelFor(
      mesh.positions.size(),
      [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
          mesh.colours[i] = baker.VertexColour(mesh.positions[i], mesh.normals[i]);
        }
      },
      64);

  report.trianglesAfter = mesh.triangles.size();
  report.verticesAfter = mesh.positions.size();
  report.rays = baker.Rays();
  report.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return true;
}

#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "math/vector3.h"

struct RTCDeviceTy;
struct RTCSceneTy;

// The level's triangles in Embree, for the many shadow rays of the light
// bake. Embree answers an occlusion ray in well under a microsecond and
// from several threads at once; the game's octree takes several (and keeps
// per-triangle query stamps, so it is single-threaded). The game itself
// never links Embree: only the tools do.
class RayScene {
 public:
  RayScene() = default;
  ~RayScene();
  RayScene(const RayScene&) = delete;
  RayScene& operator=(const RayScene&) = delete;

  // False with a reason when Embree cannot start on this machine.
  bool Build(const std::vector<Vector3>& positions,
             const std::vector<std::array<uint32_t, 3>>& triangles, std::string& error);

  // True when something lies on the ray from `origin` along the unit
  // `direction` between `near` and `far` (either side of a triangle).
  // Safe to call from several threads.
  bool Occluded(const Vector3& origin, const Vector3& direction, float near, float far) const;

 private:
  RTCDeviceTy* device_ = nullptr;
  RTCSceneTy* scene_ = nullptr;
};

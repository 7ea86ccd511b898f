#include "tools/level/ray_scene.h"

#include <embree3/rtcore.h>

#include <cstring>
#include <limits>

RayScene::~RayScene() {
  if (scene_) rtcReleaseScene(scene_);
  if (device_) rtcReleaseDevice(device_);
}

bool RayScene::Build(const std::vector<Vector3>& positions,
                     const std::vector<std::array<uint32_t, 3>>& triangles, std::string& error) {
  device_ = rtcNewDevice(nullptr);
  if (!device_) {
    error = "cannot start Embree for the light bake (use --no-bake)";
    return false;
  }
  scene_ = rtcNewScene(device_);
  RTCGeometry geometry = rtcNewGeometry(device_, RTC_GEOMETRY_TYPE_TRIANGLE);
  auto* vertices = static_cast<float*>(rtcSetNewGeometryBuffer(
      geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 3 * sizeof(float), positions.size()));
  auto* indices = static_cast<uint32_t*>(rtcSetNewGeometryBuffer(
      geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 3 * sizeof(uint32_t), triangles.size()));
  if (!vertices || !indices) {
    rtcReleaseGeometry(geometry);
    error = "out of memory for the light bake's ray scene";
    return false;
  }
  for (size_t i = 0; i < positions.size(); ++i) {
    vertices[3 * i] = positions[i].x;
    vertices[3 * i + 1] = positions[i].y;
    vertices[3 * i + 2] = positions[i].z;
  }
  std::memcpy(indices, triangles.data(), triangles.size() * sizeof triangles[0]);
  rtcCommitGeometry(geometry);
  rtcAttachGeometry(scene_, geometry);
  rtcReleaseGeometry(geometry);
  rtcSetSceneBuildQuality(scene_, RTC_BUILD_QUALITY_HIGH);
  rtcCommitScene(scene_);
  if (rtcGetDeviceError(device_) != RTC_ERROR_NONE) {
    error = "Embree could not build the light bake's ray scene";
    return false;
  }
  return true;
}

bool RayScene::Occluded(const Vector3& origin, const Vector3& direction, float near,
                        float far) const {
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  RTCRay ray;
  ray.org_x = origin.x;
  ray.org_y = origin.y;
  ray.org_z = origin.z;
  ray.tnear = near;
  ray.dir_x = direction.x;
  ray.dir_y = direction.y;
  ray.dir_z = direction.z;
  ray.time = 0.0f;
  ray.tfar = far;
  ray.mask = 0xffffffffu;
  ray.id = 0;
  ray.flags = 0;
  rtcOccluded1(scene_, &context, &ray);
  // Embree marks an occluded ray by setting tfar to minus infinity.
  return ray.tfar < 0.0f;
}

#include "bench/level_bench_baselines.h"

#include <embree3/rtcore.h>

#include <btBulletCollisionCommon.h>
#include <cstdio>
#include <cstdlib>

#include "level/collision.h"

struct EmbreeScene::Impl {
  RTCDevice device = nullptr;
  RTCScene scene = nullptr;
  long long bytes = 0;
};

namespace {

bool CountBytes(void* user, ssize_t bytes, bool) {
  *static_cast<long long*>(user) += bytes;
  return true;
}

}  // namespace

EmbreeScene::EmbreeScene(const LevelData& level) : impl_(std::make_unique<Impl>()) {
  impl_->device = rtcNewDevice("threads=1");
  if (impl_->device == nullptr) {
    std::fprintf(stderr, "level_bench: Embree did not start\n");
    std::exit(1);
  }
  rtcSetDeviceMemoryMonitorFunction(impl_->device, CountBytes, &impl_->bytes);
  impl_->scene = rtcNewScene(impl_->device);
  RTCGeometry mesh = rtcNewGeometry(impl_->device, RTC_GEOMETRY_TYPE_TRIANGLE);
  auto* vertices = static_cast<float*>(rtcSetNewGeometryBuffer(
      mesh, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 3 * sizeof(float), level.vertexCount));
  for (uint32_t i = 0; i < level.vertexCount; ++i) {
    vertices[3 * i] = level.positions[i].x;
    vertices[3 * i + 1] = level.positions[i].y;
    vertices[3 * i + 2] = level.positions[i].z;
  }
  auto* indices = static_cast<uint32_t*>(rtcSetNewGeometryBuffer(
      mesh, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 3 * sizeof(uint32_t), level.triangleCount));
  for (uint32_t i = 0; i < level.triangleCount; ++i) {
    for (int k = 0; k < 3; ++k) indices[3 * i + k] = static_cast<uint32_t>(level.triangles[i].vertex[k]);
  }
  rtcCommitGeometry(mesh);
  rtcAttachGeometry(impl_->scene, mesh);
  rtcReleaseGeometry(mesh);
  rtcCommitScene(impl_->scene);
}

EmbreeScene::~EmbreeScene() {
  rtcReleaseScene(impl_->scene);
  rtcReleaseDevice(impl_->device);
}

bool EmbreeScene::RayCast(const Ray& ray, float maxDistance, float* hitDistance) const {
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  RTCRayHit query{};
  query.ray.org_x = ray.origin.x;
  query.ray.org_y = ray.origin.y;
  query.ray.org_z = ray.origin.z;
  query.ray.dir_x = ray.direction.x;
  query.ray.dir_y = ray.direction.y;
  query.ray.dir_z = ray.direction.z;
  query.ray.tnear = 0.0f;
  query.ray.tfar = maxDistance;
  query.ray.mask = 0xffffffffu;
  query.hit.geomID = RTC_INVALID_GEOMETRY_ID;
  rtcIntersect1(impl_->scene, &context, &query);
  *hitDistance = query.ray.tfar;
  return query.hit.geomID != RTC_INVALID_GEOMETRY_ID;
}

size_t EmbreeScene::Bytes() const { return static_cast<size_t>(impl_->bytes); }

struct BulletMesh::Impl {
  std::unique_ptr<btTriangleIndexVertexArray> triangles;
  std::unique_ptr<btBvhTriangleMeshShape> shape;
};

namespace {

Vector3 FromBullet(const btVector3& v) { return Vector3(v.x(), v.y(), v.z()); }

// The game's contact rule for a sphere that does not move.
class ContactRule : public btTriangleCallback {
 public:
  ContactRule(const LevelData& level, const Vector3& centre, float radius)
      : level_(level), centre_(centre), radius_(radius) {}
  void processTriangle(btVector3* corners, int, int triangleIndex) override {
    ++tested;
    const Plane& plane = level_.triangles[triangleIndex].plane;
    float d = 0.0f;
    if (plane.ClassifySphere(centre_, radius_, &d) != PLANE_INTERSECTS) return;
    const Vector3 c[3] = {FromBullet(corners[0]), FromBullet(corners[1]), FromBullet(corners[2])};
    Vector3 q = centre_ - plane.normal * d;
    if (PointInPolygon(q, c, 3) || SphereNearPolygonEdge(q, c, 3, radius_ * 0.5f)) ++contacts;
  }
  int tested = 0;
  int contacts = 0;

 private:
  const LevelData& level_;
  Vector3 centre_;
  float radius_;
};

}  // namespace

BulletMesh::BulletMesh(const LevelData& level) : impl_(std::make_unique<Impl>()), level_(level) {
  btIndexedMesh mesh;
  mesh.m_numTriangles = static_cast<int>(level.triangleCount);
  mesh.m_triangleIndexBase = reinterpret_cast<const unsigned char*>(level.triangles[0].vertex);
  mesh.m_triangleIndexStride = sizeof(LevelTriangle);
  mesh.m_numVertices = static_cast<int>(level.vertexCount);
  mesh.m_vertexBase = reinterpret_cast<const unsigned char*>(level.positions.data());
  mesh.m_vertexStride = sizeof(Vector3);
  mesh.m_indexType = PHY_INTEGER;
  mesh.m_vertexType = PHY_FLOAT;
  impl_->triangles = std::make_unique<btTriangleIndexVertexArray>();
  impl_->triangles->addIndexedMesh(mesh, PHY_INTEGER);
  impl_->shape = std::make_unique<btBvhTriangleMeshShape>(impl_->triangles.get(), true);
}

BulletMesh::~BulletMesh() = default;

int BulletMesh::SphereContacts(const Vector3& centre, float radius) const {
  ContactRule rule(level_, centre, radius);
  btVector3 lo(centre.x - radius, centre.y - radius, centre.z - radius);
  btVector3 hi(centre.x + radius, centre.y + radius, centre.z + radius);
  impl_->shape->processAllTriangles(&rule, lo, hi);
  lastTested = rule.tested;
  return rule.contacts;
}

size_t BulletMesh::Bytes() const {
  return impl_->shape->getOptimizedBvh()->calculateSerializeBufferSize();
}

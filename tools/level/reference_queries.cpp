#include "tools/level/reference_queries.h"

#include "level/collision.h"

std::vector<int32_t> BruteForceSphereContacts(const LevelData& level, const Vector3& centre,
                                              float radius) {
  std::vector<int32_t> contacts;
  for (size_t i = 0; i < level.triangles.size(); ++i) {
    const LevelTriangle& triangle = level.triangles[i];
    float d = 0.0f;
    if (triangle.plane.ClassifySphere(centre, radius, &d) != PLANE_INTERSECTS) continue;
    const Vector3 corners[3] = {level.positions[triangle.vertex[0]],
                                level.positions[triangle.vertex[1]],
                                level.positions[triangle.vertex[2]]};
    Vector3 q = centre - triangle.plane.normal * d;
    if (PointInPolygon(q, corners, 3) || SphereNearPolygonEdge(q, corners, 3, radius * 0.5f)) {
      contacts.push_back(static_cast<int32_t>(i));
    }
  }
  return contacts;
}

bool BruteForceRayCast(const LevelData& level, const Ray& ray, float maxDistance,
                       float* hitDistance, int32_t* triangle) {
  *hitDistance = maxDistance;
  *triangle = -1;
  bool hit = false;
  for (size_t i = 0; i < level.triangles.size(); ++i) {
    const LevelTriangle& tri = level.triangles[i];
    float u, v, w, t;
    if (!SegmentHitsTriangle(&ray, level.positions[tri.vertex[0]], level.positions[tri.vertex[1]],
                             level.positions[tri.vertex[2]], maxDistance, &u, &v, &w, &t)) {
      continue;
    }
    float d = t * maxDistance;
    if (d < *hitDistance) {
      *hitDistance = d;
      *triangle = static_cast<int32_t>(i);
      hit = true;
    }
  }
  return hit;
}

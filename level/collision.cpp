#include "level/collision.h"

#include <cmath>

#include "assets/texture.h"
#include "level/level_data.h"
#include "level/octree.h"
#include "level/query_stamp.h"
#include "world/entity.h"

int32_t gPolygonsTested = 0;

namespace {

// The float index of `value` in cells of `inverseWidth`, or false when its
// truncation toward zero falls outside 0..n-1. Checked as a float so that a
// NaN or huge value is never converted to an integer.
bool CellIndex(float value, float inverseWidth, int32_t n, int32_t* index) {
  float f = value * inverseWidth;
  if (!(f > -1.0f && f < static_cast<float>(n))) return false;
  *index = static_cast<int32_t>(f);
  return true;
}

}  // namespace

PlaneSide Plane::ClassifySphere(const Vector3& centre, float radius, float* signedDistance) const {
  float d = Dot(normal, centre) - distance;
  *signedDistance = d;
  if (std::fabs(d) <= radius) return PLANE_INTERSECTS;
  if (d > radius) return PLANE_FRONT;
  return PLANE_BEHIND;
}

double AngleBetween(const Vector3& a, const Vector3& b) {
  float cosine = Dot(a, b) / (b.Length() * a.Length());
  double angle = std::acos(static_cast<double>(cosine));
  return std::isnan(angle) ? 0.0 : angle;
}

bool PointInPolygon(const Vector3& q, const Vector3* corners, int count) {
  if (count < 1) return false;
  float sum = 0.0f;
  for (int i = 0; i < count; ++i) {
    Vector3 a = corners[i] - q;
    Vector3 b = corners[(i + 1) % count] - q;
    sum += static_cast<float>(AngleBetween(a, b));
  }
  return sum >= 6.2831f;
}

Vector3 ClosestPointOnSegment(const Vector3& q, const Vector3& a, const Vector3& b) {
  Vector3 u = (b - a) * (1.0f / (b - a).Length());
  float t = Dot(u, q - a);
  if (t <= 0.0f) return a;
  if (t >= (a - b).Length()) return b;
  return a + u * t;
}

bool SphereNearPolygonEdge(const Vector3& q, const Vector3* corners, int count, float limit) {
  if (count < 1) return false;
  for (int i = 0; i < count; ++i) {
    Vector3 c = ClosestPointOnSegment(q, corners[i], corners[(i + 1) % count]);
    if ((c - q).Length() < limit) return true;
  }
  return false;
}

bool BoxContains(const Vector3& min, const Vector3& max, const Vector3& p) {
  return min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y && min.z <= p.z &&
         p.z <= max.z;
}

void Octree::Collide(Entity* entity, float*, float) const { CollideSphere(entity); }

void Octree::CollideSphere(Entity* entity) const {
  if (root_ == nullptr) return;
  float r = entity->radius;
  // The deepest level whose cells are at least r wide on every axis.
  int32_t depth = levelCount_ - 1;
  for (int32_t l = 0; l < levelCount_; ++l) {
    const Vector3& s = cellSize_[l];
    if (s.x < r || s.y < r || s.z < r) {
      depth = l - 1;
      break;
    }
  }
  if (!BoxContains(root_->boxMin, root_->boxMax, entity->position)) return;
  Vector3 p = entity->position + offset_;
  if (depth < 0) return;
  Vector3 lo = p - Vector3(r, r, r);
  Vector3 hi = p + Vector3(r, r, r);
  uint32_t stamp = NextQueryStamp();
  if (entity->kind == kKindPlayerShip) gPolygonsTested = 0;
  if (depth == 0) {
    CollideNode(root_, stamp, entity);
    return;
  }

  int32_t n = cellsPerAxis_[depth];
  const Vector3& s = cellSize_[depth];
  Vector3 inverse(1.0f / s.x, 1.0f / s.y, 1.0f / s.z);
  int32_t ix0, ix1, iy0, iy1, iz0, iz1;
  // A sphere whose box reaches past the grid on any side is not collided.
  if (!CellIndex(lo.x, inverse.x, n, &ix0) || !CellIndex(hi.x, inverse.x, n, &ix1) ||
      !CellIndex(lo.y, inverse.y, n, &iy0) || !CellIndex(hi.y, inverse.y, n, &iy1) ||
      !CellIndex(lo.z, inverse.z, n, &iz0) || !CellIndex(hi.z, inverse.z, n, &iz1)) {
    return;
  }
  if (ix0 > ix1) return;

  for (int32_t x = ix0; x <= ix1; ++x) {
    for (int32_t y = iy0; y <= iy1; ++y) {
      for (int32_t z = iz0; z <= iz1; ++z) {
        int32_t node = NodeInCell(depth, x, y, z);
        // Empty where a leaf ends the tree above this depth.
        if (node >= 0) CollideNode(&nodes_[node], stamp, entity);
      }
    }
  }
}

namespace {

// False only when the projected centre q lies so far outside the corners'
// bounding box that neither contact test can pass: the edge test needs q
// within radius * 0.5 of an edge, and the angle sum reaches a full turn
// outside the triangle only within a hair (well under a thousandth of its
// size, rounding included) of an edge. The margin covers both with room
// for rounding, so the answer is the tests' own; it only spares the angle
// sum and edge distances for the many triangles whose plane, but not
// whose body, the sphere meets.
bool MayTouch(const Vector3& q, const Vector3* corners, float radius) {
  Vector3 lo = corners[0], hi = corners[0];
  for (int i = 1; i < 3; ++i) {
    const Vector3& c = corners[i];
    lo = Vector3(c.x < lo.x ? c.x : lo.x, c.y < lo.y ? c.y : lo.y, c.z < lo.z ? c.z : lo.z);
    hi = Vector3(c.x > hi.x ? c.x : hi.x, c.y > hi.y ? c.y : hi.y, c.z > hi.z ? c.z : hi.z);
  }
  float extent = hi.x - lo.x;
  if (hi.y - lo.y > extent) extent = hi.y - lo.y;
  if (hi.z - lo.z > extent) extent = hi.z - lo.z;
  float scale = std::fabs(q.x) + std::fabs(q.y) + std::fabs(q.z);
  float m = 0.51f * radius + 0.002f * extent + 1e-5f * scale;
  // Written so that a NaN anywhere keeps the triangle for the full tests.
  return !(q.x < lo.x - m || q.x > hi.x + m || q.y < lo.y - m || q.y > hi.y + m ||
           q.z < lo.z - m || q.z > hi.z + m);
}

}  // namespace

void Octree::CollideNode(const OctreeNode* node, uint32_t stamp, Entity* entity) const {
  const uint32_t end = node->firstRef + node->RefCount();
  // Fetch a few triangles ahead so that their cache misses overlap.
  constexpr uint32_t kAhead = 6;
  for (uint32_t i = node->firstRef; i < end && i < node->firstRef + kAhead; ++i) {
    __builtin_prefetch(&gLevelTriangles[Ref(i).triangle]);
  }
  for (uint32_t i = node->firstRef; i < end; ++i) {
    if (i + kAhead < end) __builtin_prefetch(&gLevelTriangles[Ref(i + kAhead).triangle]);
    const TriangleRef ref = Ref(i);
    LevelTriangle& triangle = gLevelTriangles[ref.triangle];
    if (triangle.queryStamp == stamp && triangle.queryTag == entity) continue;
    triangle.queryTag = entity;
    triangle.queryStamp = stamp;
    if (entity->kind == kKindPlayerShip) ++gPolygonsTested;

    float r = entity->radius;
    float d = 0.0f;
    if (triangle.plane.ClassifySphere(entity->position, r, &d) != PLANE_INTERSECTS) continue;
    const Vector3& n = triangle.plane.normal;
    Vector3 q = entity->position - n * d;
    const Vector3 corners[3] = {gLevelVertices[triangle.vertex[0]],
                                gLevelVertices[triangle.vertex[1]],
                                gLevelVertices[triangle.vertex[2]]};
    if (!MayTouch(q, corners, r) ||
        (!PointInPolygon(q, corners, 3) && !SphereNearPolygonEdge(q, corners, 3, r * 0.5f))) {
      continue;
    }

    entity->OnLevelContact(corners, gLevelMaterials ? &gLevelMaterials[ref.material] : nullptr);
    float k = d > 0.0f ? r - d : -(d + r);
    Vector3 push = n * k;
    float vn = Dot(entity->velocity, n);
    entity->AddForce(n * entity->mass);
    entity->AddVelocity(n * -vn);
    entity->Translate(push);
    entity->collided = true;
  }
}

#include "tools/level/triangle_box.h"

#include <algorithm>
#include <cmath>

namespace {

struct D3 {
  double x, y, z;
};

float Coord(const Vector3& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

D3 Sub(const D3& a, const D3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double DotD(const D3& a, const D3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3 CrossD(const D3& a, const D3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// True when `axis` separates the triangle (corners relative to the box
// centre) from a box of half extents `h`.
bool Separates(const D3& axis, const D3 v[3], const D3& h) {
  double p0 = DotD(axis, v[0]);
  double p1 = DotD(axis, v[1]);
  double p2 = DotD(axis, v[2]);
  double r = h.x * std::fabs(axis.x) + h.y * std::fabs(axis.y) + h.z * std::fabs(axis.z);
  double lo = std::min({p0, p1, p2});
  double hi = std::max({p0, p1, p2});
  return lo > r || hi < -r;
}

}  // namespace

bool TriangleOverlapsBox(const Vector3& a, const Vector3& b, const Vector3& c,
                         const Vector3& boxMin, const Vector3& boxMax) {
  // Box axes first: the cheap bounding-box rejection.
  for (int axis = 0; axis < 3; ++axis) {
    float ta = Coord(a, axis), tb = Coord(b, axis), tc = Coord(c, axis);
    if (std::min({ta, tb, tc}) > Coord(boxMax, axis) ||
        std::max({ta, tb, tc}) < Coord(boxMin, axis)) {
      return false;
    }
  }
  D3 centre{(static_cast<double>(boxMin.x) + boxMax.x) * 0.5,
            (static_cast<double>(boxMin.y) + boxMax.y) * 0.5,
            (static_cast<double>(boxMin.z) + boxMax.z) * 0.5};
  D3 h{(static_cast<double>(boxMax.x) - boxMin.x) * 0.5,
       (static_cast<double>(boxMax.y) - boxMin.y) * 0.5,
       (static_cast<double>(boxMax.z) - boxMin.z) * 0.5};
  D3 v[3] = {Sub(D3{a.x, a.y, a.z}, centre), Sub(D3{b.x, b.y, b.z}, centre),
             Sub(D3{c.x, c.y, c.z}, centre)};
  D3 edges[3] = {Sub(v[1], v[0]), Sub(v[2], v[1]), Sub(v[0], v[2])};

  // The triangle's plane.
  if (Separates(CrossD(edges[0], edges[1]), v, h)) return false;

  // Each edge crossed with each box axis.
  const D3 boxAxes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (const D3& e : edges) {
    for (const D3& u : boxAxes) {
      if (Separates(CrossD(e, u), v, h)) return false;
    }
  }
  return true;
}

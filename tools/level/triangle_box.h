#pragma once
#include "math/vector3.h"

// True when the triangle and the axis-aligned box share at least one point
// (touching counts). Exact separating-axis test, in double precision.
bool TriangleOverlapsBox(const Vector3& a, const Vector3& b, const Vector3& c,
                         const Vector3& boxMin, const Vector3& boxMax);

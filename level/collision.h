#pragma once
#include <cstdint>

#include "math/vector3.h"

// Triangles tested against the player's ship in its latest collision query;
// the HUD shows it.
extern int32_t gPolygonsTested;

// True when the angles that `q` sees between successive corners add up to a
// full turn, that is when q lies inside the polygon (q on its plane).
bool PointInPolygon(const Vector3& q, const Vector3* corners, int count);
// The angle between two vectors in radians; 0 when it is not a number.
double AngleBetween(const Vector3& a, const Vector3& b);
// True when some edge of the polygon passes closer than `limit` to `q`.
bool SphereNearPolygonEdge(const Vector3& q, const Vector3* corners, int count, float limit);
Vector3 ClosestPointOnSegment(const Vector3& q, const Vector3& a, const Vector3& b);
// Bounds included.
bool BoxContains(const Vector3& min, const Vector3& max, const Vector3& p);

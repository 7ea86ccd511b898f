#include "level/level_data.h"

Vector3* gLevelVertices = nullptr;
LevelTriangle* gLevelTriangles = nullptr;
Material* gLevelMaterials = nullptr;

Plane Plane::FromPoints(const Vector3& a, const Vector3& b, const Vector3& c) {
  Plane plane;
  plane.normal.Cross(b - a, c - a);
  plane.normal.Normalize();
  plane.point = a;
  plane.distance = Dot(plane.normal, a);
  return plane;
}

#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/content/p3d_writer.h"
#include "math/vector3.h"

// A rectangle of a model's texture that one part of the model uses.
struct UvRect {
  float u0, v0, u1, v1;
  // (s, t) in 0..1 across the rectangle to texture coordinates.
  Vector2 At(float s, float t) const { return {u0 + (u1 - u0) * s, v0 + (v1 - v0) * t}; }
};

// Texture coordinates of a surface point, from its position, its normal and
// where it lies on the surface's own grid (s across, t along, both 0..1).
using UvFunction =
    std::function<Vector2(const Vector3& position, const Vector3& normal, float s, float t)>;

enum class Shading { kFlat, kSmooth };

// Collects triangles for a P3D model. Front faces are counter-clockwise, as
// the game culls; normals point out of the front.
class MeshBuilder {
 public:
  uint32_t AddVertex(const Vector3& position, const Vector3& normal, Vector2 uv);
  void AddTriangle(uint32_t a, uint32_t b, uint32_t c);

  // A triangle with its own three vertices and its face normal; a triangle
  // without area is dropped.
  void AddFacet(const Vector3& a, const Vector3& b, const Vector3& c, const UvFunction& uv);

  // A surface through rows of points. Seen from the front, each row runs
  // counter-clockwise to the next: the face normal is
  // (along the row) x (towards the next row). With `closed` the last point
  // of each row joins the first, as for a tube. Rows may shrink to a point.
  void AddGrid(const std::vector<std::vector<Vector3>>& rows, bool closed, Shading shading,
               const UvFunction& uv);

  // A flat fan over a ring of points, counter-clockwise seen from the front.
  void AddCap(const std::vector<Vector3>& ring, const UvFunction& uv);

  // A slab: a flat convex outline swept along `thickness`; flat-shaded.
  void AddSlab(const std::vector<Vector3>& outline, const Vector3& thickness,
               const UvFunction& uv);

  // Appends another mesh; `mirrorX` reflects it in the x = 0 plane and turns
  // its triangles so their front faces stay in front.
  void Append(const MeshBuilder& other, bool mirrorX = false);

  size_t TriangleCount() const { return indices_.size() / 3; }
  size_t VertexCount() const { return positions_.size(); }

  P3dMesh ToMesh(const std::string& texturePath) const;

 private:
  std::vector<Vector3> positions_;
  std::vector<Vector3> normals_;
  std::vector<Vector2> texCoords_;
  std::vector<uint32_t> indices_;
};

// A ring of `count` points around the z axis at height `z`, counter-clockwise
// seen from +z, starting on +x: an ellipse of radii rx, ry about (cx, cy).
std::vector<Vector3> EllipseRing(int count, float cx, float cy, float z, float rx, float ry);

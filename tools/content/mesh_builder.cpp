#include "tools/content/mesh_builder.h"

#include <cmath>

namespace {

constexpr float kTinyArea = 1e-10f;

Vector3 SafeNormalized(const Vector3& v, const Vector3& fallback) {
  float length = v.Length();
  return length > 1e-12f ? v * (1.0f / length) : fallback;
}

}  // namespace

uint32_t MeshBuilder::AddVertex(const Vector3& position, const Vector3& normal, Vector2 uv) {
  positions_.push_back(position);
  normals_.push_back(normal);
  texCoords_.push_back(uv);
  return static_cast<uint32_t>(positions_.size() - 1);
}

void MeshBuilder::AddTriangle(uint32_t a, uint32_t b, uint32_t c) {
  indices_.push_back(a);
  indices_.push_back(b);
  indices_.push_back(c);
}

void MeshBuilder::AddFacet(const Vector3& a, const Vector3& b, const Vector3& c,
                           const UvFunction& uv) {
  Vector3 normal = CrossProduct(b - a, c - a);
  if (normal.LengthSquared() < kTinyArea) return;
  normal.Normalize();
  // The grid position of a facet's corners is not known here.
  uint32_t ia = AddVertex(a, normal, uv(a, normal, 0.0f, 0.0f));
  uint32_t ib = AddVertex(b, normal, uv(b, normal, 0.0f, 0.0f));
  uint32_t ic = AddVertex(c, normal, uv(c, normal, 0.0f, 0.0f));
  AddTriangle(ia, ib, ic);
}

void MeshBuilder::AddGrid(const std::vector<std::vector<Vector3>>& rows, bool closed,
                          Shading shading, const UvFunction& uv) {
  const size_t rowCount = rows.size();
  if (rowCount < 2) return;
  const size_t pointCount = rows[0].size();
  const size_t quadColumns = closed ? pointCount : pointCount - 1;
  auto point = [&](size_t i, size_t j) -> const Vector3& { return rows[i][j % pointCount]; };
  auto s = [&](size_t j) { return static_cast<float>(j) / static_cast<float>(quadColumns); };
  auto t = [&](size_t i) { return static_cast<float>(i) / static_cast<float>(rowCount - 1); };
  // The normal of quad (i, j) from its diagonals, which also works where an
  // edge has shrunk to a point.
  auto quadNormal = [&](size_t i, size_t j) {
    return CrossProduct(point(i, j + 1) - point(i + 1, j), point(i + 1, j + 1) - point(i, j));
  };

  if (shading == Shading::kFlat) {
    for (size_t i = 0; i + 1 < rowCount; ++i) {
      for (size_t j = 0; j < quadColumns; ++j) {
        Vector3 normal = SafeNormalized(quadNormal(i, j), Vector3(0, 1, 0));
        const Vector3* corners[4] = {&point(i, j), &point(i, j + 1), &point(i + 1, j + 1),
                                     &point(i + 1, j)};
        const float cs[4] = {s(j), s(j + 1), s(j + 1), s(j)};
        const float ct[4] = {t(i), t(i), t(i + 1), t(i + 1)};
        uint32_t id[4];
        for (int k = 0; k < 4; ++k) {
          id[k] = AddVertex(*corners[k], normal, uv(*corners[k], normal, cs[k], ct[k]));
        }
        if (CrossProduct(*corners[1] - *corners[0], *corners[2] - *corners[0]).LengthSquared() >
            kTinyArea) {
          AddTriangle(id[0], id[1], id[2]);
        }
        if (CrossProduct(*corners[2] - *corners[0], *corners[3] - *corners[0]).LengthSquared() >
            kTinyArea) {
          AddTriangle(id[0], id[2], id[3]);
        }
      }
    }
    return;
  }

  // Smooth: each grid point takes the sum of the quads around it; a closed
  // row repeats its first point at the end so the texture can wrap.
  const size_t columns = quadColumns + 1;
  std::vector<uint32_t> ids(rowCount * columns);
  for (size_t i = 0; i < rowCount; ++i) {
    for (size_t j = 0; j < columns; ++j) {
      Vector3 sum(0, 0, 0);
      for (size_t qi = (i > 0 ? i - 1 : 0); qi <= i && qi + 1 < rowCount; ++qi) {
        if (closed) {
          sum += quadNormal(qi, (j + quadColumns - 1) % quadColumns);
          sum += quadNormal(qi, j % quadColumns);
        } else {
          if (j > 0) sum += quadNormal(qi, j - 1);
          if (j < quadColumns) sum += quadNormal(qi, j);
        }
      }
      Vector3 normal = SafeNormalized(sum, Vector3(0, 1, 0));
      const Vector3& p = point(i, j);
      ids[i * columns + j] = AddVertex(p, normal, uv(p, normal, s(j), t(i)));
    }
  }
  for (size_t i = 0; i + 1 < rowCount; ++i) {
    for (size_t j = 0; j < quadColumns; ++j) {
      uint32_t a = ids[i * columns + j], b = ids[i * columns + j + 1];
      uint32_t c = ids[(i + 1) * columns + j + 1], d = ids[(i + 1) * columns + j];
      if (CrossProduct(positions_[b] - positions_[a], positions_[c] - positions_[a])
              .LengthSquared() > kTinyArea) {
        AddTriangle(a, b, c);
      }
      if (CrossProduct(positions_[c] - positions_[a], positions_[d] - positions_[a])
              .LengthSquared() > kTinyArea) {
        AddTriangle(a, c, d);
      }
    }
  }
}

void MeshBuilder::AddCap(const std::vector<Vector3>& ring, const UvFunction& uv) {
  Vector3 centre(0, 0, 0);
  for (const Vector3& p : ring) centre += p;
  centre = centre * (1.0f / static_cast<float>(ring.size()));
  for (size_t j = 0; j < ring.size(); ++j) {
    AddFacet(centre, ring[j], ring[(j + 1) % ring.size()], uv);
  }
}

void MeshBuilder::AddSlab(const std::vector<Vector3>& givenOutline, const Vector3& thickness,
                          const UvFunction& uv) {
  // Newell's normal of the outline; turn the outline round if it faces away.
  Vector3 facing(0, 0, 0);
  for (size_t j = 0; j < givenOutline.size(); ++j) {
    facing += CrossProduct(givenOutline[j], givenOutline[(j + 1) % givenOutline.size()]);
  }
  std::vector<Vector3> outline = givenOutline;
  if (Dot(facing, thickness) < 0.0f) outline.assign(givenOutline.rbegin(), givenOutline.rend());
  std::vector<Vector3> front;
  std::vector<Vector3> back(outline.rbegin(), outline.rend());
  for (const Vector3& p : outline) front.push_back(p + thickness);
  AddCap(front, uv);
  AddCap(back, uv);
  for (size_t j = 0; j < outline.size(); ++j) {
    const Vector3& a = outline[j];
    const Vector3& b = outline[(j + 1) % outline.size()];
    AddFacet(a, b, b + thickness, uv);
    AddFacet(a, b + thickness, a + thickness, uv);
  }
}

void MeshBuilder::Append(const MeshBuilder& other, bool mirrorX) {
  const uint32_t base = static_cast<uint32_t>(positions_.size());
  for (size_t i = 0; i < other.positions_.size(); ++i) {
    Vector3 p = other.positions_[i];
    Vector3 n = other.normals_[i];
    if (mirrorX) {
      p.x = -p.x;
      n.x = -n.x;
    }
    AddVertex(p, n, other.texCoords_[i]);
  }
  for (size_t i = 0; i < other.indices_.size(); i += 3) {
    uint32_t a = base + other.indices_[i];
    uint32_t b = base + other.indices_[i + 1];
    uint32_t c = base + other.indices_[i + 2];
    if (mirrorX) {
      AddTriangle(a, c, b);
    } else {
      AddTriangle(a, b, c);
    }
  }
}

P3dMesh MeshBuilder::ToMesh(const std::string& texturePath) const {
  P3dMesh mesh;
  mesh.indices = indices_;
  mesh.positions = positions_;
  mesh.normals = normals_;
  mesh.texCoords = texCoords_;
  mesh.texturePath = texturePath;
  return mesh;
}

std::vector<Vector3> EllipseRing(int count, float cx, float cy, float z, float rx, float ry) {
  std::vector<Vector3> ring;
  for (int j = 0; j < count; ++j) {
    float angle = 6.2831853f * static_cast<float>(j) / static_cast<float>(count);
    ring.emplace_back(cx + rx * std::cos(angle), cy + ry * std::sin(angle), z);
  }
  return ring;
}

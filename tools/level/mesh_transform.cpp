#include "tools/level/mesh_transform.h"

#include <algorithm>

namespace {

Vector3 Turn(const Vector3& v, UpAxis up) {
  return up == UpAxis::kZ ? Vector3(v.x, v.z, -v.y) : v;
}

}  // namespace

void TransformMesh(LevelMesh& mesh, UpAxis up, float scale) {
  for (Vector3& p : mesh.positions) p = Turn(p, up) * scale;
  for (Vector3& n : mesh.normals) n = Turn(n, up);
  for (Vector3& p : mesh.spawnPoints) p = Turn(p, up) * scale;
  for (Vector3& p : mesh.droneSpawns) p = Turn(p, up) * scale;
  for (Vector3& p : mesh.pathNodes) p = Turn(p, up) * scale;
}

bool MeshBounds(const LevelMesh& mesh, Vector3& lo, Vector3& hi) {
  bool any = false;
  for (const MeshTriangle& t : mesh.triangles) {
    for (uint32_t v : t.vertex) {
      if (v >= mesh.positions.size()) continue;
      const Vector3& p = mesh.positions[v];
      if (!any) lo = hi = p, any = true;
      lo = Vector3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
      hi = Vector3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
  }
  return any;
}

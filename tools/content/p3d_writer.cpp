#include "tools/content/p3d_writer.h"

#include <algorithm>

#include "tools/common/byte_writer.h"

std::vector<uint8_t> EncodeP3d(const P3dMesh& mesh) {
  constexpr size_t kPathField = 32;
  ByteWriter out;
  out.U32(7704);
  out.U32(static_cast<uint32_t>(mesh.positions.size()));
  out.U32(static_cast<uint32_t>(mesh.indices.size() / 3));
  for (uint32_t word : mesh.reserved) out.U32(word);
  const size_t pathLength = std::min(mesh.texturePath.size(), kPathField - 1);
  out.Bytes(mesh.texturePath.data(), pathLength);
  out.Zeros(kPathField - pathLength);
  for (size_t i = 0; i < mesh.indices.size() / 3 * 3; ++i) out.U32(mesh.indices[i]);
  for (const Vector3& p : mesh.positions) out.Vector(p);
  for (const Vector3& n : mesh.normals) out.Vector(n);
  for (const Vector2& t : mesh.texCoords) {
    out.F32(t.u);
    out.F32(t.v);
  }
  return std::move(out.Bytes());
}

bool WriteP3d(const std::string& path, const P3dMesh& mesh, std::string& error) {
  if (mesh.normals.size() != mesh.positions.size() ||
      mesh.texCoords.size() != mesh.positions.size() || mesh.indices.size() % 3 != 0) {
    error = "mesh arrays for " + path + " do not match";
    return false;
  }
  return WriteFileBytes(path, EncodeP3d(mesh), error);
}

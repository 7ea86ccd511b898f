#include "tools/level/level_writer.h"

#include <utility>

#include "level/level_reader.h"
#include "level/vertex_colours.h"
#include "tools/common/byte_writer.h"

namespace {

bool Consistent(const LevelSource& level, std::string& error) {
  if (level.groups.size() != level.materialNames.size()) {
    error = "the level has " + std::to_string(level.materialNames.size()) + " material names but " +
            std::to_string(level.groups.size()) + " material groups";
    return false;
  }
  if (level.normals.size() != level.positions.size() ||
      level.texCoords.size() != level.positions.size()) {
    error = "positions, normals and texture coordinates differ in number";
    return false;
  }
  if (!level.colours.empty() && level.colours.size() != level.positions.size()) {
    error = "the level has colours for " + std::to_string(level.colours.size()) + " of " +
            std::to_string(level.positions.size()) + " vertices";
    return false;
  }
  for (const std::string& name : level.materialNames) {
    if (name.size() > 0x7fff) {
      error = "material name \"" + name.substr(0, 20) + "...\" is too long for the format";
      return false;
    }
  }
  for (const SourceGroup& group : level.groups) {
    if (group.indices.size() % 3 != 0 || group.indices.size() / 3 > 0x7fffffffu) {
      error = "a material group's index count is not a whole number of triangles";
      return false;
    }
  }
  return true;
}

}  // namespace

bool WriteLevel(const LevelSource& level, std::vector<uint8_t>& bytes, std::string& error) {
  bytes.clear();
  if (!Consistent(level, error)) return false;
  ByteWriter out;

  out.Bytes(kLevelTag, sizeof kLevelTag);
  out.I32(static_cast<int32_t>(level.materialNames.size()));
  out.U32(static_cast<uint32_t>(level.positions.size()));
  out.I32(level.headerUnused);
  out.U32(static_cast<uint32_t>(level.pathNodes.size()));
  out.U32(static_cast<uint32_t>(level.spawnPoints.size()));

  for (const std::string& name : level.materialNames) {
    out.I16(static_cast<int16_t>(name.size()));
    out.Bytes(name.data(), name.size());
  }
  for (const Vector3& p : level.positions) out.Vector(p);
  for (const Vector3& n : level.normals) out.Vector(n);
  for (const TexCoord& t : level.texCoords) {
    out.F32(t.s);
    out.F32(t.t);
  }

  out.U32(static_cast<uint32_t>(level.triangles.size()));
  for (const auto& triangle : level.triangles) {
    for (int32_t v : triangle) out.I32(v);
  }

  for (const SourceGroup& group : level.groups) {
    out.I32(group.material);
    out.I32(static_cast<int32_t>(group.indices.size() / 3));
    for (uint32_t index : group.indices) out.U32(index);
  }

  out.I32(level.octreeLevels);
  for (const SourceOctreeNode& node : level.octreeNodes) {
    out.U8(node.isLeaf);
    out.Vector(node.boxMin);
    out.Vector(node.boxMax);
    out.I32(static_cast<int32_t>(node.refs.size()));
    for (const TriangleRef& ref : node.refs) {
      out.I32(ref.material);
      out.I32(ref.triangle);
    }
  }

  for (const SourcePathNode& node : level.pathNodes) {
    out.Vector(node.position);
    out.U32(static_cast<uint32_t>(node.links.size()));
    for (uint32_t link : node.links) out.U32(link);
  }

  for (const SpawnPoint& spawn : level.spawnPoints) {
    out.I32(spawn.kind);
    out.Vector(spawn.position);
  }

  if (!level.colours.empty()) {
    out.Bytes(kVertexColoursTag, sizeof kVertexColoursTag);
    out.U32(static_cast<uint32_t>(level.colours.size()));
    for (const Colour& c : level.colours) {
      out.F32(c.r);
      out.F32(c.g);
      out.F32(c.b);
      out.F32(c.a);
    }
  }
  bytes = std::move(out.Bytes());
  return true;
}

bool WriteLevelFile(const std::string& path, const LevelSource& level, std::string& error) {
  std::vector<uint8_t> bytes;
  return WriteLevel(level, bytes, error) && WriteFileBytes(path, bytes, error);
}

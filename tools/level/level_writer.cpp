#include "tools/level/level_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "level/level_reader.h"
#include "level/vertex_colours.h"

namespace {

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  void U8(uint8_t v) { bytes_.push_back(v); }
  void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
  void U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<uint8_t>(v >> shift));
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
  }
  void Vector(const Vector3& v) {
    F32(v.x);
    F32(v.y);
    F32(v.z);
  }
  void Bytes(const void* data, size_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
  }

 private:
  std::vector<uint8_t>& bytes_;
};

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
  ByteWriter out(bytes);

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
    out.I32(spawn.unused);
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
  return true;
}

bool WriteLevelFile(const std::string& path, const LevelSource& level, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!WriteLevel(level, bytes, error)) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) {
    error = path + ": cannot create: " + std::strerror(errno);
    return false;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fflush(file.get()) != 0) {
    error = path + ": cannot write: " + std::strerror(errno);
    return false;
  }
  return true;
}

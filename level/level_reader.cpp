#include "level/level_reader.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "assets/byte_reader.h"
#include "assets/vector_reader.h"
#include "level/collision.h"
#include "platform/large_arrays.h"

namespace {

bool ReadMaterialNames(ByteReader& reader, LevelData& out) {
  out.materialNames.resize(static_cast<size_t>(out.materialCount));
  for (int32_t i = 0; i < out.materialCount; ++i) {
    std::string what = "material name " + std::to_string(i);
    if (!reader.Expect(1, 2, what.c_str())) return false;
    int16_t length = reader.I16();
    if (length < 0) {
      reader.Fail(what + ": negative length " + std::to_string(length));
      return false;
    }
    // The texture path "textures/" + name + ".bmp" has 80 bytes.
    if (length > kMaxMaterialNameLength) {
      reader.Fail(what + ": " + std::to_string(length) + " characters, more than the " +
                  std::to_string(kMaxMaterialNameLength) + " a texture path allows");
      return false;
    }
    if (!reader.Expect(static_cast<uint64_t>(length), 1, what.c_str())) return false;
    std::string& name = out.materialNames[i];
    name.resize(static_cast<size_t>(length));
    reader.Bytes(name.data(), name.size());
    // The game keeps names as C strings; a NUL inside would cut the name.
    if (name.find('\0') != std::string::npos) {
      reader.Fail(what + " holds a NUL character");
      return false;
    }
  }
  return !reader.Failed();
}

static_assert(sizeof(Vector3) == 3 * sizeof(float) && sizeof(TexCoord) == 2 * sizeof(float),
              "vertex arrays are read straight from the file's bytes");

// Copies `count` little-endian 32-bit words from the file into `out` in one
// go: the big arrays of a level are read straight into their final place.
void ReadWords(ByteReader& reader, void* out, size_t count) {
  reader.Bytes(out, 4 * count);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  auto* words = static_cast<uint32_t*>(out);
  for (size_t i = 0; i < count; ++i) words[i] = __builtin_bswap32(words[i]);
#endif
}

bool ReadVertices(ByteReader& reader, LevelData& out) {
  // Positions, normals and texture coordinates: 12 + 12 + 8 bytes a vertex.
  if (!reader.Expect(out.vertexCount, 32, "vertices")) return false;
  size_t count = out.vertexCount;
  out.positions.resize(count);
  out.normals.resize(count);
  out.texCoords.resize(count);
  out.colours.assign(count, Colour{1.0f, 1.0f, 1.0f, 1.0f});
  ReadWords(reader, out.positions.data(), 3 * count);
  ReadWords(reader, out.normals.data(), 3 * count);
  ReadWords(reader, out.texCoords.data(), 2 * count);
  for (size_t i = 0; i < count; ++i) {
    if (!IsFinite(out.positions[i])) {
      reader.Fail("vertex " + std::to_string(i) + " has a position that is not a finite number");
      return false;
    }
  }
  return !reader.Failed();
}

// `where` and `number` name the record for the message, built only on
// failure since this runs for every index.
bool CheckVertexIndex(ByteReader& reader, int64_t index, uint32_t vertexCount, const char* where,
                      uint64_t number) {
  if (index >= 0 && index < static_cast<int64_t>(vertexCount)) return true;
  reader.Fail(std::string(where) + " " + std::to_string(number) + ": vertex index " +
              std::to_string(index) + " is outside the " + std::to_string(vertexCount) +
              " vertices");
  return false;
}

bool ReadTriangles(ByteReader& reader, LevelData& out) {
  if (!reader.Expect(1, 4, "triangle count")) return false;
  out.triangleCount = reader.U32();
  if (!reader.Expect(out.triangleCount, 12, "triangles")) return false;
  // Reserved, then appended whole, so that each triangle is written once.
  out.triangles.clear();
  out.triangles.reserve(out.triangleCount);
  // Read a block of vertex triples at a time, then spread them out.
  constexpr uint32_t kBlock = 1024;
  int32_t block[3 * kBlock];
  for (uint32_t first = 0; first < out.triangleCount; first += kBlock) {
    uint32_t n = out.triangleCount - first < kBlock ? out.triangleCount - first : kBlock;
    ReadWords(reader, block, 3 * static_cast<size_t>(n));
    for (uint32_t k = 0; k < n; ++k) {
      const uint32_t i = first + k;
      LevelTriangle triangle;
      for (int c = 0; c < 3; ++c) {
        int32_t v = block[3 * k + c];
        if (static_cast<uint32_t>(v) >= out.vertexCount &&
            !CheckVertexIndex(reader, v, out.vertexCount, "triangle", i)) {
          return false;
        }
        triangle.vertex[c] = v;
      }
      triangle.plane =
          Plane::FromPoints(out.positions[triangle.vertex[0]], out.positions[triangle.vertex[1]],
                            out.positions[triangle.vertex[2]]);
      out.triangles.push_back(triangle);
    }
  }
  return !reader.Failed();
}

bool ReadGroups(ByteReader& reader, LevelData& out) {
  out.groups.resize(static_cast<size_t>(out.materialCount));
  for (int32_t i = 0; i < out.materialCount; ++i) {
    std::string what = "material group " + std::to_string(i);
    if (!reader.Expect(1, 8, what.c_str())) return false;
    MaterialGroup& group = out.groups[i];
    group.material = reader.I32();
    int32_t triangles = reader.I32();
    if (group.material < 0 || group.material >= kMaxLevelMaterials) {
      reader.Fail(what + ": material index " + std::to_string(group.material) + " is outside 0.." +
                  std::to_string(kMaxLevelMaterials - 1));
      return false;
    }
    if (triangles < 0) {
      reader.Fail(what + ": negative triangle count " + std::to_string(triangles));
      return false;
    }
    uint64_t indexCount = 3 * static_cast<uint64_t>(triangles);
    if (!reader.Expect(indexCount, 4, what.c_str())) return false;
    group.capacity = static_cast<int32_t>(indexCount + 1);
    group.indices.resize(indexCount);
    ReadWords(reader, group.indices.data(), group.indices.size());
    for (uint32_t index : group.indices) {
      if (index >= out.vertexCount &&
          !CheckVertexIndex(reader, index, out.vertexCount, "material group", i)) {
        return false;
      }
    }
    group.count = static_cast<int32_t>(indexCount);
  }
  return !reader.Failed();
}

bool ReadPathNodes(ByteReader& reader, LevelData& out) {
  // At least a position and a link count each.
  if (!reader.Expect(out.pathNodeCount, 16, "path nodes")) return false;
  out.pathNodes.resize(out.pathNodeCount);
  for (uint32_t i = 0; i < out.pathNodeCount; ++i) {
    PathNode& node = out.pathNodes[i];
    node.position = ReadVector3(reader);
    // The path graph lies in the plane y = 0.
    node.position.y = 0.0f;
    node.linkCount = reader.U32();
    if (node.linkCount > reader.Remaining() / 4) {
      std::string what = "path node " + std::to_string(i) + " links";
      reader.Expect(node.linkCount, 4, what.c_str());
      return false;
    }
    node.links.resize(node.linkCount);
    for (uint32_t& link : node.links) {
      link = reader.U32();
      if (link >= out.pathNodeCount) {
        reader.Fail("path node " + std::to_string(i) + ": link " + std::to_string(link) +
                    " is outside the " + std::to_string(out.pathNodeCount) + " path nodes");
        return false;
      }
    }
  }
  return !reader.Failed();
}

std::string PointText(const Vector3& p) {
  char text[96];
  std::snprintf(text, sizeof text, "%g, %g, %g", p.x, p.y, p.z);
  return text;
}

bool ReadSpawnPoints(ByteReader& reader, LevelData& out) {
  if (!reader.Expect(out.spawnPointCount, 16, "spawn points")) return false;
  out.spawnPoints.resize(out.spawnPointCount);
  for (uint32_t i = 0; i < out.spawnPointCount; ++i) {
    SpawnPoint& spawn = out.spawnPoints[i];
    spawn.kind = reader.I32();
    spawn.position = ReadVector3(reader);
    if (!IsFinite(spawn.position)) {
      reader.Fail("spawn point " + std::to_string(i) + " is not at a finite position");
      return false;
    }
    // A drone flies by the level's collision, which holds only inside its box.
    const OctreeNode* root = out.octree.Root();
    if (spawn.IsDrone() && root && !BoxContains(root->boxMin, root->boxMax, spawn.position)) {
      reader.Fail("drone spawn point " + std::to_string(i) + " at (" +
                  PointText(spawn.position) + ") lies outside the level's box");
      return false;
    }
  }
  return !reader.Failed();
}

}  // namespace

bool ReadLevel(ByteReader& reader, LevelData& out) {
  if (!reader.Expect(1, kLevelHeaderSize, "header")) return false;
  char tag[sizeof kLevelTag];
  reader.Bytes(tag, sizeof tag);
  if (std::memcmp(tag, kLevelTag, sizeof tag) != 0) {
    reader.Fail("not a level file: it does not begin with \"UNIVERSE\"");
    return false;
  }
  out.materialCount = reader.I32();
  out.vertexCount = reader.U32();
  reader.I32();  // not interpreted
  out.pathNodeCount = reader.U32();
  out.spawnPointCount = reader.U32();
  if (out.materialCount < 0) {
    reader.Fail("negative material count " + std::to_string(out.materialCount));
    return false;
  }
  if (out.materialCount > kMaxLevelMaterials) {
    reader.Fail(std::to_string(out.materialCount) + " materials, more than the " +
                std::to_string(kMaxLevelMaterials) + " the game has slots for");
    return false;
  }

  if (!ReadMaterialNames(reader, out) || !ReadVertices(reader, out) ||
      !ReadTriangles(reader, out) || !ReadGroups(reader, out) ||
      !out.octree.Read(reader, out.triangleCount) || !ReadPathNodes(reader, out) ||
      !ReadSpawnPoints(reader, out)) {
    return false;
  }
  out.octree.MeasureContents(out.positions.data(), out.triangles.data());
  return true;
}

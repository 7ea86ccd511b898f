#include "tests/level/level_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "level/level_reader.h"
#include "tools/level/level_writer.h"
#include "tools/level/octree_builder.h"

LevelSource SoupLevel(const std::vector<Corners>& triangles, int32_t levels, const Vector3& rootMin,
                      const Vector3& rootMax) {
  LevelSource source;
  source.materialNames = {"grass"};
  source.groups.resize(1);
  std::vector<int32_t> materials;
  for (const Corners& corners : triangles) {
    int32_t base = static_cast<int32_t>(source.positions.size());
    for (const Vector3& p : corners) {
      source.positions.push_back(p);
      source.normals.push_back(Vector3(0, 1, 0));
      source.texCoords.push_back(TexCoord{p.x, p.z});
      source.groups[0].indices.push_back(static_cast<uint32_t>(source.positions.size() - 1));
    }
    source.triangles.push_back({base, base + 1, base + 2});
    materials.push_back(0);
  }
  OctreeBuildOptions options;
  options.levels = levels;
  OctreeBuildStats stats;
  BuildOctree(source.positions, source.triangles, materials, rootMin, rootMax, options,
              source.octreeNodes, stats);
  source.octreeLevels = stats.levels;
  return source;
}

std::vector<uint8_t> WriteOrDie(const LevelSource& source) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(WriteLevel(source, bytes, error)) << error;
  return bytes;
}

LoadedLevel::LoadedLevel(const LevelSource& source) {
  std::vector<uint8_t> bytes = WriteOrDie(source);
  ByteReader reader(bytes);
  ok = ReadLevel(reader, data);
  error = reader.Error();
  EXPECT_TRUE(ok) << error;
  gLevelVertices = data.positions.data();
  gLevelTriangles = data.triangles.data();
}

LoadedLevel::~LoadedLevel() {
  gLevelVertices = nullptr;
  gLevelTriangles = nullptr;
}

std::string ParseError(const std::vector<uint8_t>& bytes) {
  LevelData level;
  ByteReader reader(bytes);
  if (ReadLevel(reader, level)) return "";
  EXPECT_FALSE(reader.Error().empty());
  return reader.Error();
}

uint32_t FreshTicks() {
  static uint32_t next = 0;
  next += 10000000u;
  return next;
}

void WriteTriangleGltf(const TempDir& dir, const std::string& name,
                       const std::array<float, 9>& corners, const std::vector<std::string>& nodes) {
  std::vector<uint8_t> buffer(44, 0);
  const uint16_t indices[4] = {0, 1, 2, 0};
  std::memcpy(buffer.data(), corners.data(), 36);
  std::memcpy(buffer.data() + 36, indices, 8);
  dir.Write(name + ".bin", buffer);
  std::string lo, hi, nodeList = R"({"name": "floor", "mesh": 0})", scene = "0";
  for (int axis = 0; axis < 3; ++axis) {
    const float a = corners[axis], b = corners[3 + axis], c = corners[6 + axis];
    lo += (axis ? ", " : "") + std::to_string(std::min({a, b, c}));
    hi += (axis ? ", " : "") + std::to_string(std::max({a, b, c}));
  }
  for (size_t i = 0; i < nodes.size(); ++i) {
    nodeList += ", " + nodes[i];
    scene += ", " + std::to_string(i + 1);
  }
  dir.WriteText(name + ".gltf", R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [)" +
                                    scene + R"(]}], "nodes": [)" + nodeList + R"(],
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1, "material": 0}]}],
  "materials": [{"name": "sand"}], "buffers": [{"byteLength": 44, "uri": ")" + name + R"(.bin"}],
  "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36},
                  {"buffer": 0, "byteOffset": 36, "byteLength": 6}],
  "accessors": [
    {"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [)" +
                                    lo + R"(], "max": [)" + hi + R"(]},
    {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"}]})");
}

#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "level/level_data.h"
#include "tests/support/temp_dir.h"
#include "tools/level/level_source.h"

using Corners = std::array<Vector3, 3>;

// A level of loose triangles, all of material slot 0 ("grass"), indexed by a
// complete octree of `levels` levels over the given root box.
LevelSource SoupLevel(const std::vector<Corners>& triangles, int32_t levels, const Vector3& rootMin,
                      const Vector3& rootMax);

std::vector<uint8_t> WriteOrDie(const LevelSource& source);

// A level read back from the writer's bytes, published through
// gLevelVertices and gLevelTriangles while it lives.
class LoadedLevel {
 public:
  explicit LoadedLevel(const LevelSource& source);
  ~LoadedLevel();
  LoadedLevel(const LoadedLevel&) = delete;
  LoadedLevel& operator=(const LoadedLevel&) = delete;

  bool ok = false;
  std::string error;
  LevelData data;
};

// Parses bytes into a fresh LevelData; returns the reader's reason, or ""
// when the file was accepted.
std::string ParseError(const std::vector<uint8_t>& bytes);

// NAME.gltf and NAME.bin in `dir`: one triangle of these corners, of
// material "sand", as the mesh of a node "floor", then the nodes given as
// JSON objects, all of them in the scene.
void WriteTriangleGltf(const TempDir& dir, const std::string& name,
                       const std::array<float, 9>& corners, const std::vector<std::string>& nodes);

// Each call a stamp the query stamp has not reached yet, so a test can name
// the stamp its next query will use.
uint32_t FreshTicks();

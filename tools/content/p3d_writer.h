#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "assets/p3d_model.h"
#include "math/vector3.h"

// A mesh as the P3D model file stores it.
struct P3dMesh {
  std::vector<uint32_t> indices;  // three per triangle
  std::vector<Vector3> positions;
  std::vector<Vector3> normals;
  std::vector<Vector2> texCoords;
  std::string texturePath;  // at most 31 characters are stored
  uint32_t reserved[3] = {0, 0, 0};
};

std::vector<uint8_t> EncodeP3d(const P3dMesh& mesh);

bool WriteP3d(const std::string& path, const P3dMesh& mesh, std::string& error);

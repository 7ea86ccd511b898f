#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/texture.h"
#include "math/vector3.h"

struct Vector2 {
  float u, v;
};

// An indexed triangle mesh with its own textured material, from a P3D file.
class P3dModel {
 public:
  P3dModel() = default;
  ~P3dModel();
  P3dModel(const P3dModel&) = delete;
  P3dModel& operator=(const P3dModel&) = delete;

  // False, with the reason in `error`, when the file is missing or damaged
  // or its texture cannot be loaded; the model is left as it was then.
  bool Load(const char* path, std::string& error);

  void Draw() const;
  void DrawWithMaterial(const Material& m) const;

  uint32_t vertexCount = 0;
  uint32_t triangleCount = 0;
  uint32_t reserved[3] = {0, 0, 0};
  uint32_t* indices = nullptr;
  Vector2* texCoords = nullptr;
  Vector3* normals = nullptr;
  Vector3* vertices = nullptr;
  Material material;

 private:
  void DrawMesh(const Material& m) const;
  void FreeArrays();
};

// Checks a P3D file held in memory as P3dModel::Load would, without touching
// a model or GL: true when header and mesh are sound, with the texture path.
bool CheckP3dFile(const uint8_t* data, size_t size, std::string& texturePath, std::string& error);

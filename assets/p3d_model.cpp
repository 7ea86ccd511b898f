#include "assets/p3d_model.h"

#include <GL/gl.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "assets/vector_reader.h"

namespace {

constexpr uint32_t kP3dMagic = 7704;
constexpr size_t kTexturePathSize = 32;

// The mesh of a P3D file, read and checked before the model is touched.
struct MeshData {
  uint32_t vertexCount = 0;
  uint32_t triangleCount = 0;
  uint32_t reserved[3] = {0, 0, 0};
  char texturePath[kTexturePathSize] = {};
  std::unique_ptr<uint32_t[]> indices;
  std::unique_ptr<Vector2[]> texCoords;
  std::unique_ptr<Vector3[]> normals;
  std::unique_ptr<Vector3[]> vertices;
};

template <typename T>
std::unique_ptr<T[]> Allocate(uint64_t count) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

void ReadVectors(ByteReader& in, Vector3* out, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    out[i] = ReadVector3(in);
  }
}

bool ParseMesh(const uint8_t* data, size_t size, MeshData& mesh, std::string& error) {
  ByteReader in(data, size);
  uint32_t magic = in.U32();
  if (in.Failed()) {
    error = "file too short for a P3D header";
    return false;
  }
  if (magic != kP3dMagic) {
    error = "not a P3D model (magic " + std::to_string(magic) + ", expected 7704)";
    return false;
  }
  mesh.vertexCount = in.U32();
  mesh.triangleCount = in.U32();
  for (uint32_t& word : mesh.reserved) word = in.U32();
  in.Bytes(mesh.texturePath, kTexturePathSize);
  if (in.Failed()) {
    error = "truncated header: " + in.Error();
    return false;
  }
  if (std::memchr(mesh.texturePath, '\0', kTexturePathSize) == nullptr) {
    error = "texture path is not terminated within its 32 bytes";
    return false;
  }
  const uint64_t vertices = mesh.vertexCount;
  const uint64_t triangles = mesh.triangleCount;
  // 12 bytes per triangle and 32 per vertex: the whole body is checked
  // against the file before anything is allocated.
  if (!in.Expect(1, triangles * 12 + vertices * 32, "triangles and vertices")) {
    error = std::to_string(triangles) + " triangles and " + std::to_string(vertices) +
            " vertices do not fit in the file: " + in.Error();
    return false;
  }
  mesh.indices = Allocate<uint32_t>(triangles * 3);
  mesh.vertices = Allocate<Vector3>(vertices);
  mesh.normals = Allocate<Vector3>(vertices);
  mesh.texCoords = Allocate<Vector2>(vertices);
  if (!mesh.indices || !mesh.vertices || !mesh.normals || !mesh.texCoords) {
    error = "out of memory for the mesh";
    return false;
  }
  for (uint64_t i = 0; i < triangles * 3; ++i) {
    uint32_t index = in.U32();
    if (index >= vertices) {
      error = "triangle " + std::to_string(i / 3) + " names vertex " + std::to_string(index) +
              " of " + std::to_string(vertices);
      return false;
    }
    mesh.indices[i] = index;
  }
  ReadVectors(in, mesh.vertices.get(), mesh.vertexCount);
  ReadVectors(in, mesh.normals.get(), mesh.vertexCount);
  for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
    mesh.texCoords[i].u = in.F32();
    mesh.texCoords[i].v = in.F32();
  }
  if (in.Failed()) {
    error = in.Error();
    return false;
  }
  return true;
}

}  // namespace

bool CheckP3dFile(const uint8_t* data, size_t size, std::string& texturePath, std::string& error) {
  MeshData mesh;
  if (!ParseMesh(data, size, mesh, error)) return false;
  texturePath = mesh.texturePath;
  return true;
}

P3dModel::~P3dModel() { FreeArrays(); }

void P3dModel::FreeArrays() {
  delete[] indices;
  delete[] texCoords;
  delete[] normals;
  delete[] vertices;
}

bool P3dModel::Load(const char* path, std::string& error) {
  std::vector<uint8_t> bytes;
  MeshData mesh;
  if (!ReadWholeFile(path, bytes, error) || !ParseMesh(bytes.data(), bytes.size(), mesh, error)) {
    return false;
  }
  // The mesh is sound; only now may the texture load change the model.
  std::string textureError;
  if (!material.Load(mesh.texturePath, true, textureError)) {
    error = "texture \"" + std::string(mesh.texturePath) + "\": " + textureError;
    return false;
  }
  material.specular[0] = material.specular[1] = material.specular[2] = material.specular[3] = 1.0f;

  vertexCount = mesh.vertexCount;
  triangleCount = mesh.triangleCount;
  std::memcpy(reserved, mesh.reserved, sizeof reserved);
  FreeArrays();
  indices = mesh.indices.release();
  texCoords = mesh.texCoords.release();
  normals = mesh.normals.release();
  vertices = mesh.vertices.release();
  return true;
}

void P3dModel::Draw() const { DrawMesh(material); }

void P3dModel::DrawWithMaterial(const Material& m) const { DrawMesh(m); }

void P3dModel::DrawMesh(const Material& m) const {
  if (!vertices || !normals || !texCoords || !indices) return;
  glVertexPointer(3, GL_FLOAT, 0, vertices);
  glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
  glNormalPointer(GL_FLOAT, 0, normals);
  m.Apply(GL_FRONT);
  // A model has no per-vertex colours; the level's colour array stays on otherwise.
  glDisableClientState(GL_COLOR_ARRAY);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(triangleCount * 3), GL_UNSIGNED_INT, indices);
  glEnableClientState(GL_COLOR_ARRAY);
}

#include "tools/p3dc/model_convert.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <filesystem>
#include <limits>

namespace {

Vector3 Turn(const aiVector3D& v, bool zUp) {
  return zUp ? Vector3(v.x, v.z, -v.y) : Vector3(v.x, v.y, v.z);
}

bool TexturePath(const aiMaterial& material, std::string& path) {
  aiString value;
  for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_BASE_COLOR}) {
    if (material.GetTextureCount(type) > 0 &&
        material.GetTexture(type, 0, &value) == AI_SUCCESS && value.length > 0) {
      path = value.C_Str();
      return true;
    }
  }
  return false;
}

class Converter {
 public:
  Converter(const aiScene& scene, const ConvertOptions& options, P3dMesh& mesh)
      : scene_(scene), options_(options), mesh_(mesh) {}

  void Walk(const aiNode& node, const aiMatrix4x4& parent) {
    aiMatrix4x4 transform = parent * node.mTransformation;
    for (unsigned i = 0; i < node.mNumMeshes; ++i) Add(*scene_.mMeshes[node.mMeshes[i]], transform);
    for (unsigned i = 0; i < node.mNumChildren; ++i) Walk(*node.mChildren[i], transform);
  }

  std::vector<unsigned> materialsUsed;

 private:
  void Add(const aiMesh& m, const aiMatrix4x4& transform) {
    if (!(m.mPrimitiveTypes & aiPrimitiveType_TRIANGLE)) return;
    materialsUsed.push_back(m.mMaterialIndex);
    aiMatrix3x3 normalTransform = aiMatrix3x3(transform);
    bool mirrored = normalTransform.Determinant() < 0.0f;
    normalTransform.Inverse().Transpose();
    uint32_t base = static_cast<uint32_t>(mesh_.positions.size());
    for (unsigned v = 0; v < m.mNumVertices; ++v) {
      mesh_.positions.push_back(Turn(transform * m.mVertices[v], options_.zUp) * options_.scale);
      Vector3 n(0, 1, 0);
      if (m.HasNormals()) {
        n = Turn(normalTransform * m.mNormals[v], options_.zUp);
        float length = n.Length();
        n = length > 0.0f ? n * (1.0f / length) : Vector3(0, 1, 0);
      }
      mesh_.normals.push_back(n);
      Vector2 t{0.0f, 0.0f};
      if (m.HasTextureCoords(0)) t = Vector2{m.mTextureCoords[0][v].x, m.mTextureCoords[0][v].y};
      mesh_.texCoords.push_back(t);
    }
    for (unsigned f = 0; f < m.mNumFaces; ++f) {
      const aiFace& face = m.mFaces[f];
      if (face.mNumIndices != 3) continue;
      uint32_t a = base + face.mIndices[0], b = base + face.mIndices[1], c = base + face.mIndices[2];
      if (mirrored) std::swap(b, c);
      mesh_.indices.insert(mesh_.indices.end(), {a, b, c});
    }
  }

  const aiScene& scene_;
  const ConvertOptions& options_;
  P3dMesh& mesh_;
};

bool LoadTexture(const aiScene& scene, const std::string& modelPath, const std::string& reference,
                 RgbImage& out, std::string& textureFile, std::string& error) {
  if (const aiTexture* embedded = scene.GetEmbeddedTexture(reference.c_str())) {
    if (embedded->mHeight == 0) {
      return DecodeImageBytes(reinterpret_cast<const uint8_t*>(embedded->pcData),
                              embedded->mWidth, out, error);
    }
    out.width = static_cast<int>(embedded->mWidth);
    out.height = static_cast<int>(embedded->mHeight);
    out.rgb.clear();
    for (size_t i = 0; i < static_cast<size_t>(out.width) * out.height; ++i) {
      const aiTexel& t = embedded->pcData[i];
      out.rgb.insert(out.rgb.end(), {t.r, t.g, t.b});
    }
    return true;
  }
  std::filesystem::path file = std::filesystem::path(modelPath).parent_path() / reference;
  textureFile = file.string();
  if (!DecodeImageFile(file.string(), out, error)) {
    error = "texture \"" + file.string() + "\": " + error;
    return false;
  }
  return true;
}

RgbImage PlainTexture(const aiMaterial* material) {
  aiColor4D colour(0.8f, 0.8f, 0.8f, 1.0f);
  if (material && material->Get(AI_MATKEY_COLOR_DIFFUSE, colour) != AI_SUCCESS) {
    material->Get(AI_MATKEY_BASE_COLOR, colour);
  }
  RgbImage plain;
  plain.width = plain.height = 8;
  for (int i = 0; i < 64; ++i) {
    for (float c : {colour.r, colour.g, colour.b}) {
      float v = std::isfinite(c) ? std::fmin(std::fmax(c, 0.0f), 1.0f) : 0.8f;
      plain.rgb.push_back(static_cast<uint8_t>(std::lround(v * 255.0f)));
    }
  }
  return plain;
}

}  // namespace

bool ConvertModel(const std::string& path, const ConvertOptions& options, P3dMesh& mesh,
                  RgbImage& texture, std::string& textureFile, std::vector<std::string>& notes,
                  std::string& error) {
  mesh = P3dMesh{};
  textureFile.clear();
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(
      path, aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals |
                aiProcess_SortByPType | aiProcess_ValidateDataStructure);
  if (scene == nullptr || scene->mRootNode == nullptr) {
    error = std::string("cannot import: ") + importer.GetErrorString();
    return false;
  }
  Converter converter(*scene, options, mesh);
  converter.Walk(*scene->mRootNode, aiMatrix4x4());
  if (mesh.indices.empty()) {
    error = "the model has no triangles";
    return false;
  }
  if (mesh.positions.size() > std::numeric_limits<uint32_t>::max() / 32) {
    error = "the model has too many vertices for a P3D file";
    return false;
  }
  for (const Vector3& p : mesh.positions) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
      error = "the model has a vertex that is not at a finite position";
      return false;
    }
  }

  // One texture per P3D model: the first material that has one.
  std::string chosen;
  const aiMaterial* first = nullptr;
  bool anyWithout = false;
  for (unsigned index : converter.materialsUsed) {
    const aiMaterial* material = index < scene->mNumMaterials ? scene->mMaterials[index] : nullptr;
    if (!first) first = material;
    std::string reference;
    if (!material || !TexturePath(*material, reference)) {
      anyWithout = true;
      continue;
    }
    if (chosen.empty()) {
      chosen = reference;
    } else if (reference != chosen) {
      notes.push_back("the model uses more than one texture; a P3D model has one, so \"" + chosen +
                      "\" covers all of it (\"" + reference + "\" is not used)");
      break;
    }
  }
  if (chosen.empty()) {
    texture = PlainTexture(first);
    notes.push_back("the model has no texture: it gets a plain one of its material's colour");
    return true;
  }
  if (anyWithout) notes.push_back("parts of the model without a texture are drawn with \"" +
                                  chosen + "\" at their texture coordinates");
  RgbImage image;
  if (!LoadTexture(*scene, path, chosen, image, textureFile, error)) return false;
  texture = ToPowerOfTwo(image);
  if (texture.width != image.width || texture.height != image.height) {
    notes.push_back("texture resized from " + std::to_string(image.width) + " x " +
                    std::to_string(image.height) + " to " + std::to_string(texture.width) + " x " +
                    std::to_string(texture.height) + " (a power of two on each side)");
  }
  return true;
}

#include "tools/level/mesh_import.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>

namespace {

// World units per texture repeat where the file has no coordinates.
constexpr float kTextureRepeat = 40.0f;

enum class Role { kLevel, kSpawn, kDrone, kPath };

bool StartsWith(const std::string& text, const char* prefix) {
  size_t n = std::char_traits<char>::length(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

Role RoleOfName(const std::string& name, Role inherited) {
  if (StartsWith(name, "spawn")) return Role::kSpawn;
  if (StartsWith(name, "drone")) return Role::kDrone;
  if (StartsWith(name, "path")) return Role::kPath;
  return inherited;
}

Vector3 ToVector(const aiVector3D& v) { return Vector3(v.x, v.y, v.z); }

// A marker object: where the ship or a drone starts.
bool IsSpawn(Role role) { return role == Role::kSpawn || role == Role::kDrone; }

struct NamedSpawn {
  std::string name;
  Vector3 position;
  Role role;
};

class SceneWalker {
 public:
  SceneWalker(const aiScene& scene, LevelMesh& mesh, const std::string& fileName)
      : scene_(scene), mesh_(mesh), fileName_(fileName) {}

  void Walk(const aiNode& node, const aiMatrix4x4& parent, Role inherited) {
    aiMatrix4x4 transform = parent * node.mTransformation;
    std::string name = node.mName.C_Str();
    // The OBJ importer names the root after the file: no object of the
    // author's, so "pathway.obj" is not a path.
    if (&node == scene_.mRootNode && name == fileName_) name.clear();
    Role role = RoleOfName(name, inherited);
    if (IsSpawn(role) && !IsSpawn(inherited)) AddSpawn(node, transform, name, role);
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
      const aiMesh& m = *scene_.mMeshes[node.mMeshes[i]];
      Role meshRole = RoleOfName(m.mName.C_Str(), role);
      if (IsSpawn(meshRole) && !IsSpawn(role)) {
        bool any = false;
        Vector3 lo(0, 0, 0), hi(0, 0, 0);
        AddMeshBounds(m, transform, any, lo, hi);
        if (any) spawns_.push_back(NamedSpawn{m.mName.C_Str(), (lo + hi) * 0.5f, meshRole});
      }
      if (meshRole == Role::kPath) AddPath(m, transform);
      if (meshRole == Role::kLevel) AddGeometry(m, transform);
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) Walk(*node.mChildren[i], transform, role);
  }

  void Finish() {
    std::stable_sort(spawns_.begin(), spawns_.end(),
                     [](const NamedSpawn& a, const NamedSpawn& b) { return a.name < b.name; });
    for (const NamedSpawn& spawn : spawns_) {
      auto& list = spawn.role == Role::kDrone ? mesh_.droneSpawns : mesh_.spawnPoints;
      list.push_back(spawn.position);
    }
  }

 private:
  // One spawn point for a spawn object: the centre of the bounds of all the
  // geometry beneath it, or its origin when it has none.
  void AddSpawn(const aiNode& node, const aiMatrix4x4& transform, const std::string& name,
                Role role) {
    bool any = false;
    Vector3 lo(0, 0, 0), hi(0, 0, 0);
    GatherBounds(node, transform, any, lo, hi);
    Vector3 at = any ? (lo + hi) * 0.5f : ToVector(transform * aiVector3D(0, 0, 0));
    spawns_.push_back(NamedSpawn{name, at, role});
  }

  void GatherBounds(const aiNode& node, const aiMatrix4x4& transform, bool& any, Vector3& lo,
                    Vector3& hi) {
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
      AddMeshBounds(*scene_.mMeshes[node.mMeshes[i]], transform, any, lo, hi);
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
      const aiNode& child = *node.mChildren[i];
      GatherBounds(child, transform * child.mTransformation, any, lo, hi);
    }
  }

  static void AddMeshBounds(const aiMesh& m, const aiMatrix4x4& transform, bool& any, Vector3& lo,
                            Vector3& hi) {
    for (unsigned v = 0; v < m.mNumVertices; ++v) {
      Vector3 p = ToVector(transform * m.mVertices[v]);
      if (!any) {
        lo = hi = p;
        any = true;
      }
      lo = Vector3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
      hi = Vector3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
  }

  uint32_t PathNodeAt(const Vector3& p) {
    auto key = std::make_tuple(p.x, p.y, p.z);
    auto found = pathIndex_.find(key);
    if (found != pathIndex_.end()) return found->second;
    uint32_t index = static_cast<uint32_t>(mesh_.pathNodes.size());
    mesh_.pathNodes.push_back(p);
    pathIndex_.emplace(key, index);
    return index;
  }

  void AddPath(const aiMesh& m, const aiMatrix4x4& transform) {
    std::vector<uint32_t> nodeOf(m.mNumVertices);
    for (unsigned v = 0; v < m.mNumVertices; ++v) {
      nodeOf[v] = PathNodeAt(ToVector(transform * m.mVertices[v]));
    }
    for (unsigned f = 0; f < m.mNumFaces; ++f) {
      const aiFace& face = m.mFaces[f];
      if (face.mNumIndices < 2) continue;
      // A segment is one link; a polygon links each corner to the next.
      unsigned edges = face.mNumIndices == 2 ? 1 : face.mNumIndices;
      for (unsigned e = 0; e < edges; ++e) {
        uint32_t a = nodeOf[face.mIndices[e]];
        uint32_t b = nodeOf[face.mIndices[(e + 1) % face.mNumIndices]];
        mesh_.pathLinks.emplace_back(a, b);
      }
    }
  }

  int32_t MaterialSlot(unsigned materialIndex) {
    std::string name = "default";
    if (materialIndex < scene_.mNumMaterials) {
      aiString value;
      if (scene_.mMaterials[materialIndex]->Get(AI_MATKEY_NAME, value) == AI_SUCCESS) {
        name = value.C_Str();
      }
    }
    auto& names = mesh_.materialNames;
    auto found = std::find(names.begin(), names.end(), name);
    if (found != names.end()) return static_cast<int32_t>(found - names.begin());
    names.push_back(name);
    return static_cast<int32_t>(names.size() - 1);
  }

  void AddGeometry(const aiMesh& m, const aiMatrix4x4& transform) {
    bool hasTriangles = false;
    for (unsigned f = 0; f < m.mNumFaces && !hasTriangles; ++f) {
      hasTriangles = m.mFaces[f].mNumIndices == 3;
    }
    if (!hasTriangles) return;
    int32_t material = MaterialSlot(m.mMaterialIndex);
    aiMatrix3x3 normalTransform = aiMatrix3x3(transform);
    // A mirroring transform turns the winding over; turn it back so the
    // front faces stay counter-clockwise.
    bool mirrored = normalTransform.Determinant() < 0.0f;
    normalTransform.Inverse().Transpose();

    uint32_t base = static_cast<uint32_t>(mesh_.positions.size());
    for (unsigned v = 0; v < m.mNumVertices; ++v) {
      Vector3 p = ToVector(transform * m.mVertices[v]);
      Vector3 n(0, 1, 0);
      if (m.HasNormals()) {
        n = ToVector(normalTransform * m.mNormals[v]);
        float length = n.Length();
        if (length > 0.0f) n = n * (1.0f / length);
      }
      TexCoord t;
      if (m.HasTextureCoords(0)) {
        t = TexCoord{m.mTextureCoords[0][v].x, m.mTextureCoords[0][v].y};
      } else {
        t = PlanarTexCoord(p, n);
      }
      mesh_.positions.push_back(p);
      mesh_.normals.push_back(n);
      mesh_.texCoords.push_back(t);
    }
    for (unsigned f = 0; f < m.mNumFaces; ++f) {
      const aiFace& face = m.mFaces[f];
      if (face.mNumIndices != 3) continue;
      MeshTriangle triangle{
          {base + face.mIndices[0], base + face.mIndices[1], base + face.mIndices[2]}, material};
      if (mirrored) std::swap(triangle.vertex[1], triangle.vertex[2]);
      mesh_.triangles.push_back(triangle);
    }
  }

  // Projects along the normal's main axis, so walls and floors both tile.
  static TexCoord PlanarTexCoord(const Vector3& p, const Vector3& n) {
    float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    float scale = 1.0f / kTextureRepeat;
    if (ay >= ax && ay >= az) return TexCoord{p.x * scale, p.z * scale};
    if (ax >= az) return TexCoord{p.z * scale, p.y * scale};
    return TexCoord{p.x * scale, p.y * scale};
  }

  const aiScene& scene_;
  LevelMesh& mesh_;
  const std::string fileName_;
  std::vector<NamedSpawn> spawns_;
  std::map<std::tuple<float, float, float>, uint32_t> pathIndex_;
};

}  // namespace

bool ImportMesh(const std::string& path, LevelMesh& mesh, std::string& error) {
  mesh = LevelMesh{};
  Assimp::Importer importer;
  // Path objects are lines and points: keep them.
  const aiScene* scene =
      importer.ReadFile(path, aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                  aiProcess_GenSmoothNormals | aiProcess_ValidateDataStructure);
  if (scene == nullptr || scene->mRootNode == nullptr) {
    error = std::string("cannot import: ") + importer.GetErrorString();
    return false;
  }
  SceneWalker walker(*scene, mesh, std::filesystem::path(path).filename().string());
  walker.Walk(*scene->mRootNode, aiMatrix4x4(), Role::kLevel);
  walker.Finish();
  return true;
}

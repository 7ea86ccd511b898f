#include "tools/level/level_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

bool CheckMaterials(const LevelMesh& mesh, std::string& error) {
  if (mesh.materialNames.size() > static_cast<size_t>(kMaxLevelMaterials)) {
    error = "the mesh uses " + std::to_string(mesh.materialNames.size()) +
            " materials; a level can have at most " + std::to_string(kMaxLevelMaterials);
    return false;
  }
  for (const std::string& name : mesh.materialNames) {
    if (name.size() > static_cast<size_t>(kMaxMaterialNameLength)) {
      error = "material name \"" + name + "\" has " + std::to_string(name.size()) +
              " characters; at most " + std::to_string(kMaxMaterialNameLength) + " fit";
      return false;
    }
    if (name.find('\0') != std::string::npos) {
      error = "a material name holds a NUL character";
      return false;
    }
  }
  return true;
}

// "" when `p` is a usable position, else why not, after `what`.
std::string PositionProblem(const Vector3& p, const std::string& what) {
  if (!IsFinite(p)) return what + " has a coordinate that is not a finite number";
  float largest = std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
  if (largest <= kMaxLevelCoordinate) return "";
  char at[96];
  std::snprintf(at, sizeof at, "(%g, %g, %g)", p.x, p.y, p.z);
  return what + " lies at " + at + ", beyond the " + std::to_string(int(kMaxLevelCoordinate)) +
         " units from the origin a level may reach (2^24: past it floats are too coarse for "
         "the ship to move smoothly); shrink it with --scale";
}

bool CheckVertices(const LevelMesh& mesh, std::string& error) {
  size_t count = mesh.positions.size();
  if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    error = "too many vertices for the level format";
    return false;
  }
  if (mesh.normals.size() != count || mesh.texCoords.size() != count) {
    error = "positions, normals and texture coordinates differ in number";
    return false;
  }
  if (!mesh.colours.empty() && mesh.colours.size() != count) {
    error = "the mesh has colours for " + std::to_string(mesh.colours.size()) + " of " +
            std::to_string(count) + " vertices";
    return false;
  }
  // Positions first: a far one makes its neighbours' normals overflow.
  for (size_t i = 0; i < count; ++i) {
    error = PositionProblem(mesh.positions[i], "vertex " + std::to_string(i));
    if (!error.empty()) return false;
  }
  for (size_t i = 0; i < count; ++i) {
    const TexCoord& t = mesh.texCoords[i];
    if (!IsFinite(mesh.normals[i]) || !std::isfinite(t.s) || !std::isfinite(t.t)) {
      error = "vertex " + std::to_string(i) + " has a " +
              (IsFinite(mesh.normals[i]) ? "texture coordinate" : "normal") +
              " that is not a finite number";
      return false;
    }
    if (!mesh.colours.empty()) {
      const Colour& c = mesh.colours[i];
      if (!(std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b) && c.r >= 0 &&
            c.g >= 0 && c.b >= 0)) {
        error = "vertex " + std::to_string(i) + " has a colour that is negative or not a number";
        return false;
      }
    }
  }
  return true;
}

// A triangle whose corners do not span a plane: the game's plane normal
// would not be a number.
bool IsDegenerate(const Vector3& a, const Vector3& b, const Vector3& c) {
  Vector3 n = CrossProduct(b - a, c - a);
  if (!(n.LengthSquared() > 0.0f)) return true;
  return !IsFinite(Plane::FromPoints(a, b, c).normal);
}

bool CollectTriangles(const LevelMesh& mesh, LevelSource& out, std::vector<int32_t>& materials,
                      LevelBuildReport& report, std::string& error) {
  size_t vertexCount = mesh.positions.size();
  for (size_t i = 0; i < mesh.triangles.size(); ++i) {
    const MeshTriangle& triangle = mesh.triangles[i];
    for (uint32_t v : triangle.vertex) {
      if (v >= vertexCount) {
        error = "triangle " + std::to_string(i) + " names vertex " + std::to_string(v) + " of " +
                std::to_string(vertexCount);
        return false;
      }
    }
    if (triangle.material < 0 ||
        static_cast<size_t>(triangle.material) >= mesh.materialNames.size()) {
      error = "triangle " + std::to_string(i) + " has no material";
      return false;
    }
    const Vector3& a = mesh.positions[triangle.vertex[0]];
    const Vector3& b = mesh.positions[triangle.vertex[1]];
    const Vector3& c = mesh.positions[triangle.vertex[2]];
    if (IsDegenerate(a, b, c)) {
      ++report.degenerateSkipped;
      continue;
    }
    out.triangles.push_back({static_cast<int32_t>(triangle.vertex[0]),
                             static_cast<int32_t>(triangle.vertex[1]),
                             static_cast<int32_t>(triangle.vertex[2])});
    materials.push_back(triangle.material);
    std::vector<uint32_t>& indices = out.groups[triangle.material].indices;
    indices.insert(indices.end(), triangle.vertex, triangle.vertex + 3);
  }
  if (out.triangles.empty()) {
    error = mesh.triangles.empty() ? "the mesh has no triangles"
                                   : "all " + std::to_string(mesh.triangles.size()) +
                                         " of the mesh's triangles are degenerate";
    return false;
  }
  return true;
}

bool CollectMarkers(const LevelMesh& mesh, LevelSource& out, std::string& error) {
  // The ship's places first, then the drones'.
  for (const Vector3& spawn : mesh.spawnPoints) out.spawnPoints.push_back(SpawnPoint{kSpawnShip, spawn});
  for (const Vector3& spawn : mesh.droneSpawns) out.spawnPoints.push_back(SpawnPoint{kSpawnDrone, spawn});
  for (const Vector3& position : mesh.pathNodes) {
    out.pathNodes.push_back(SourcePathNode{position, {}});
  }
  for (const auto& link : mesh.pathLinks) {
    if (link.first >= out.pathNodes.size() || link.second >= out.pathNodes.size()) {
      error = "a path link names a node the path does not have";
      return false;
    }
    if (link.first == link.second) continue;
    auto add = [](std::vector<uint32_t>& links, uint32_t to) {
      if (std::find(links.begin(), links.end(), to) == links.end()) links.push_back(to);
    };
    add(out.pathNodes[link.first].links, link.second);
    add(out.pathNodes[link.second].links, link.first);
  }
  return true;
}

}  // namespace

bool CheckMesh(const LevelMesh& mesh, std::string& error) {
  if (!CheckMaterials(mesh, error) || !CheckVertices(mesh, error)) return false;
  for (const Vector3& spawn : mesh.spawnPoints) {
    error = PositionProblem(spawn, "a spawn point");
    if (!error.empty()) return false;
  }
  for (const Vector3& spawn : mesh.droneSpawns) {
    error = PositionProblem(spawn, "a drone spawn point");
    if (!error.empty()) return false;
  }
  for (const Vector3& position : mesh.pathNodes) {
    error = PositionProblem(position, "a path node");
    if (!error.empty()) return false;
  }
  // The light bake reads the corners before BuildLevel would refuse them.
  for (size_t i = 0; i < mesh.triangles.size(); ++i) {
    for (uint32_t v : mesh.triangles[i].vertex) {
      if (v >= mesh.positions.size()) {
        error = "triangle " + std::to_string(i) + " names vertex " + std::to_string(v) + " of " +
                std::to_string(mesh.positions.size());
        return false;
      }
    }
  }
  return true;
}

bool BuildLevel(const LevelMesh& mesh, const OctreeBuildOptions& options, LevelSource& out,
                LevelBuildReport& report, std::string& error) {
  out = LevelSource{};
  report = LevelBuildReport{};
  if (options.levels > kMaxOctreeLevels || options.maxLevels > kMaxOctreeLevels) {
    error = "the game reads octrees of at most " + std::to_string(kMaxOctreeLevels) + " levels";
    return false;
  }
  if (!CheckMesh(mesh, error)) return false;

  out.materialNames = mesh.materialNames;
  out.positions = mesh.positions;
  out.normals = mesh.normals;
  out.texCoords = mesh.texCoords;
  out.colours = mesh.colours;
  out.groups.resize(mesh.materialNames.size());
  for (size_t i = 0; i < out.groups.size(); ++i) out.groups[i].material = static_cast<int32_t>(i);

  std::vector<int32_t> materials;
  if (!CollectTriangles(mesh, out, materials, report, error)) return false;
  if (!CollectMarkers(mesh, out, error)) return false;
  report.triangles = out.triangles.size();

  // The box holds the triangles and the spawn points.
  Vector3 lo = out.positions[out.triangles[0][0]];
  Vector3 hi = lo;
  auto extend = [&](const Vector3& p) {
    lo = Vector3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
    hi = Vector3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
  };
  for (const auto& triangle : out.triangles) {
    for (int32_t v : triangle) extend(out.positions[v]);
  }
  for (const SpawnPoint& spawn : out.spawnPoints) extend(spawn.position);
  report.boundsMin = lo;
  report.boundsMax = hi;
  PaddedRootBox(lo, hi, report.rootMin, report.rootMax);

  BuildOctree(out.positions, out.triangles, materials, report.rootMin, report.rootMax, options,
              out.octreeNodes, report.octree);
  out.octreeLevels = report.octree.levels;
  return true;
}

#include "tools/level/mesh_subdivision.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "tools/level/parallel_for.h"

namespace {

uint64_t PairKey(uint32_t a, uint32_t b) {
  if (a > b) std::swap(a, b);
  return (static_cast<uint64_t>(a) << 32) | b;
}

struct PositionHash {
  size_t operator()(const Vector3& p) const {
    uint32_t bits[3];
    std::memcpy(bits, &p, sizeof bits);
    return (bits[0] * 73856093u) ^ (bits[1] * 19349663u) ^ (bits[2] * 83492791u);
  }
};
struct PositionEqual {
  bool operator()(const Vector3& a, const Vector3& b) const {
    return std::memcmp(&a, &b, sizeof a) == 0;
  }
};

Vector3 Lerp(const Vector3& a, const Vector3& b, float t) { return a + (b - a) * t; }

Vector3 SafeNormal(const Vector3& n) {
  float length = n.Length();
  return length > 0.0f ? n * (1.0f / length) : Vector3(0, 1, 0);
}

bool IsFlat(const Vector3& a, const Vector3& b, const Vector3& c) {
  return !(CrossProduct(b - a, c - a).LengthSquared() > 0.0f);
}

class Subdivider {
 public:
  Subdivider(LevelMesh& mesh, const LightProbe& probe, const SubdivisionOptions& options)
      : mesh_(mesh), probe_(probe), options_(options) {}

  // One round; false when no edge needed halving.
  bool Round() {
    UpdateIds();
    UpdateLight();
    std::vector<uint8_t> wants(mesh_.triangles.size(), 0);  // bit e: halve edge e
    ParallelFor(mesh_.triangles.size(), [&](size_t begin, size_t end) {
      for (size_t t = begin; t < end; ++t) wants[t] = EdgesToHalve(mesh_.triangles[t]);
    });
    std::unordered_set<uint64_t> marked;
    for (size_t t = 0; t < wants.size(); ++t) {
      for (int e = 0; e < 3; ++e) {
        if (wants[t] & (1 << e)) marked.insert(EdgeKey(mesh_.triangles[t], e));
      }
    }
    if (marked.empty()) return false;
    Split(marked);
    return true;
  }

 private:
  uint64_t EdgeKey(const MeshTriangle& t, int e) const {
    return PairKey(positionId_[t.vertex[e]], positionId_[t.vertex[(e + 1) % 3]]);
  }

  // Equal positions share an id, so triangles that do not share vertices
  // (a seam of materials or normals) still agree on their common edges.
  void UpdateIds() {
    for (size_t v = positionId_.size(); v < mesh_.positions.size(); ++v) {
      auto found = ids_.emplace(mesh_.positions[v], static_cast<uint32_t>(ids_.size()));
      positionId_.push_back(found.first->second);
    }
  }

  void UpdateLight() {
    size_t first = light_.size();
    light_.resize(mesh_.positions.size());
    ParallelFor(light_.size() - first, [&](size_t begin, size_t end) {
      for (size_t i = first + begin; i < first + end; ++i) {
        light_[i] = probe_(mesh_.positions[i], SafeNormal(mesh_.normals[i]));
      }
    });
  }

  uint8_t EdgesToHalve(const MeshTriangle& t) const {
    const Vector3* p[3];
    for (int k = 0; k < 3; ++k) p[k] = &mesh_.positions[t.vertex[k]];
    if (IsFlat(*p[0], *p[1], *p[2])) return 0;
    uint8_t wants = 0;
    int longest = -1;
    float longestLength = 0.0f;
    for (int e = 0; e < 3; ++e) {
      uint32_t a = t.vertex[e], b = t.vertex[(e + 1) % 3];
      float length = (mesh_.positions[b] - mesh_.positions[a]).Length();
      if (length < 2.0f * options_.minEdge) continue;
      if (length > longestLength) longestLength = length, longest = e;
      if (length > options_.maxEdge) {
        wants |= 1 << e;
        continue;
      }
      for (float s : {0.25f, 0.5f, 0.75f}) {
        if (Departs(Lerp(mesh_.positions[a], mesh_.positions[b], s),
                    SafeNormal(Lerp(mesh_.normals[a], mesh_.normals[b], s)),
                    light_[a] + (light_[b] - light_[a]) * s)) {
          wants |= 1 << e;
          break;
        }
      }
    }
    // A shadow inside the triangle that touches none of its edges: probe a
    // lattice of inner points (barycentric fifths).
    if (wants == 0 && longest >= 0) {
      for (int i = 1; i <= 3 && wants == 0; ++i) {
        for (int j = 1; i + j <= 4; ++j) {
          float w[3] = {i / 5.0f, j / 5.0f, (5 - i - j) / 5.0f};
          Vector3 point(0, 0, 0), normal(0, 0, 0);
          float expected = 0.0f;
          for (int k = 0; k < 3; ++k) {
            point += *p[k] * w[k];
            normal += mesh_.normals[t.vertex[k]] * w[k];
            expected += light_[t.vertex[k]] * w[k];
          }
          if (Departs(point, SafeNormal(normal), expected)) {
            wants |= 1 << longest;
            break;
          }
        }
      }
    }
    return wants;
  }

  bool Departs(const Vector3& point, const Vector3& normal, float expected) const {
    return std::fabs(probe_(point, normal) - expected) > options_.threshold;
  }

  uint32_t Midpoint(uint32_t a, uint32_t b) {
    auto found = midpoints_.find(PairKey(a, b));
    if (found != midpoints_.end()) return found->second;
    // Symmetric in a and b, so both neighbours get the same bits.
    uint32_t m = static_cast<uint32_t>(mesh_.positions.size());
    mesh_.positions.push_back((mesh_.positions[a] + mesh_.positions[b]) * 0.5f);
    mesh_.normals.push_back(SafeNormal(mesh_.normals[a] + mesh_.normals[b]));
    const TexCoord& ta = mesh_.texCoords[a];
    const TexCoord& tb = mesh_.texCoords[b];
    mesh_.texCoords.push_back(TexCoord{(ta.s + tb.s) * 0.5f, (ta.t + tb.t) * 0.5f});
    midpoints_.emplace(PairKey(a, b), m);
    return m;
  }

  void Split(const std::unordered_set<uint64_t>& marked) {
    std::vector<MeshTriangle> out;
    out.reserve(mesh_.triangles.size() * 2);
    for (const MeshTriangle& t : mesh_.triangles) {
      int count = 0, unmarked = 0, only = 0;
      bool halve[3];
      const Vector3& a = mesh_.positions[t.vertex[0]];
      bool flat = IsFlat(a, mesh_.positions[t.vertex[1]], mesh_.positions[t.vertex[2]]);
      for (int e = 0; e < 3; ++e) {
        halve[e] = !flat && marked.count(EdgeKey(t, e)) > 0;
        if (halve[e]) ++count, only = e;
        else unmarked = e;
      }
      // Turn the corners so the pattern starts at edge 0.
      int r = count == 1 ? only : count == 2 ? (unmarked + 1) % 3 : 0;
      uint32_t v[3] = {t.vertex[r], t.vertex[(r + 1) % 3], t.vertex[(r + 2) % 3]};
      auto add = [&](uint32_t x, uint32_t y, uint32_t z) {
        out.push_back(MeshTriangle{{x, y, z}, t.material});
      };
      if (count == 0) {
        out.push_back(t);
      } else if (count == 1) {
        uint32_t m0 = Midpoint(v[0], v[1]);
        add(v[0], m0, v[2]);
        add(m0, v[1], v[2]);
      } else if (count == 2) {  // edges 0 and 1 halved, edge 2 whole
        uint32_t m0 = Midpoint(v[0], v[1]), m1 = Midpoint(v[1], v[2]);
        add(m0, v[1], m1);
        add(v[0], m0, m1);
        add(v[0], m1, v[2]);
      } else {
        uint32_t m0 = Midpoint(v[0], v[1]), m1 = Midpoint(v[1], v[2]), m2 = Midpoint(v[2], v[0]);
        add(v[0], m0, m2);
        add(m0, v[1], m1);
        add(m2, m1, v[2]);
        add(m0, m1, m2);
      }
    }
    mesh_.triangles.swap(out);
  }

  LevelMesh& mesh_;
  const LightProbe& probe_;
  SubdivisionOptions options_;
  std::unordered_map<Vector3, uint32_t, PositionHash, PositionEqual> ids_;
  std::vector<uint32_t> positionId_;
  std::vector<float> light_;
  std::unordered_map<uint64_t, uint32_t> midpoints_;
};

}  // namespace

int SubdivideForLight(LevelMesh& mesh, const LightProbe& probe, const SubdivisionOptions& options) {
  mesh.colours.clear();
  Subdivider subdivider(mesh, probe, options);
  int rounds = 0;
  while (rounds < options.maxRounds && subdivider.Round()) ++rounds;
  return rounds;
}

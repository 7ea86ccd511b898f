#include "level/octree.h"

#include <cmath>
#include <string>
#include <utility>

#include "assets/byte_reader.h"
#include "assets/vector_reader.h"
#include "level/level_data.h"
#include "platform/clock.h"

namespace {

bool IsFinite(const Vector3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::string NodeName(const OctreeNode& node) {
  return "octree node " + std::to_string(node.index) + " (depth " + std::to_string(node.depth) +
         ")";
}

// Grid coordinate of `centre` along one axis, or -1 when it lies outside the
// n cells. Checked as a float first: converting a NaN or an out-of-range
// value to an integer is undefined.
int32_t CellCoordinate(float centre, float cellWidth, int32_t n) {
  float f = centre / cellWidth;
  if (!(f >= 0.0f && f < static_cast<float>(n))) return -1;
  return static_cast<int32_t>(f);
}

}  // namespace

uint64_t CompleteOctreeNodeCount(int32_t levelCount) {
  uint64_t total = 0;
  uint64_t atLevel = 1;
  for (int32_t l = 0; l < levelCount; ++l) {
    total += atLevel;
    atLevel *= 8;
  }
  return total;
}

uint32_t NextQueryStamp() {
  static uint32_t last = 0;
  static bool issued = false;
  uint32_t now = platform::Ticks();
  // Not ahead of the last stamp (allowing for the counter's wrap): move on
  // by one instead of reusing it.
  uint32_t ahead = now - last;
  if (issued && (ahead == 0 || ahead > 0x80000000u)) now = last + 1;
  last = now;
  issued = true;
  return now;
}

Octree::Octree(Octree&& other) noexcept
    : root(other.root),
      levelCount(other.levelCount),
      nodes(std::move(other.nodes)),
      cellsPerAxis(std::move(other.cellsPerAxis)),
      cellSize(std::move(other.cellSize)),
      grid(std::move(other.grid)),
      offset(other.offset) {
  other.Clear();
}

Octree& Octree::operator=(Octree&& other) noexcept {
  if (this == &other) return *this;
  Clear();
  // Moving a vector hands over its buffer, so `root`, the node links and the
  // grid keep pointing at the same nodes.
  root = other.root;
  levelCount = other.levelCount;
  nodes = std::move(other.nodes);
  cellsPerAxis = std::move(other.cellsPerAxis);
  cellSize = std::move(other.cellSize);
  grid = std::move(other.grid);
  offset = other.offset;
  other.Clear();
  return *this;
}

void Octree::Clear() {
  std::vector<OctreeNode>().swap(nodes);
  std::vector<int32_t>().swap(cellsPerAxis);
  std::vector<Vector3>().swap(cellSize);
  std::vector<std::vector<OctreeNode*>>().swap(grid);
  root = nullptr;
  levelCount = 0;
}

bool OctreeNode::Read(ByteReader& reader, uint32_t triangleCount) {
  if (!reader.Expect(1, kOctreeNodeRecordSize, "octree node record")) return false;
  isLeaf = reader.U8();
  boxMin = ReadVector3(reader);
  boxMax = ReadVector3(reader);
  refCount = 0;
  int32_t count = reader.I32();
  if (count < 0) {
    reader.Fail(NodeName(*this) + ": negative reference count " + std::to_string(count));
    return false;
  }
  // The node's name is built only for the message: this runs for every node.
  if (static_cast<uint64_t>(count) > reader.Remaining() / 8) {
    reader.Expect(static_cast<uint64_t>(count), 8, (NodeName(*this) + " references").c_str());
    return false;
  }
  refs.assign(static_cast<size_t>(count), TriangleRef{0, 0});
  refCount = count;
  for (TriangleRef& ref : refs) {
    ref.material = reader.I32();
    ref.triangle = reader.I32();
    if (ref.material < 0 || ref.material >= kMaxLevelMaterials) {
      reader.Fail(NodeName(*this) + ": material index " + std::to_string(ref.material) +
                  " is outside 0.." + std::to_string(kMaxLevelMaterials - 1));
      return false;
    }
    if (ref.triangle < 0 || static_cast<uint32_t>(ref.triangle) >= triangleCount) {
      reader.Fail(NodeName(*this) + ": triangle index " + std::to_string(ref.triangle) +
                  " is outside the level's " + std::to_string(triangleCount) + " triangles");
      return false;
    }
  }
  return !reader.Failed();
}

bool Octree::Read(ByteReader& reader, uint32_t triangleCount) {
  Clear();
  if (!reader.Expect(1, 4, "octree level count")) return false;
  int32_t levels = reader.I32();
  if (levels < 1) {
    reader.Fail("octree: level count " + std::to_string(levels) + " is below 1");
    return false;
  }
  if (levels > kMaxOctreeLevels) {
    reader.Fail("octree: " + std::to_string(levels) + " levels is more than the " +
                std::to_string(kMaxOctreeLevels) + " a level file may have");
    return false;
  }
  // The node array is laid out for the complete tree whatever the file
  // holds, so a deep tree in a small file would be a huge allocation.
  uint64_t complete = CompleteOctreeNodeCount(levels);
  if (levels > kOctreeLevelsAlwaysAllowed &&
      complete > reader.Remaining() / kOctreeNodeRecordSize) {
    reader.Fail("octree: a complete tree of " + std::to_string(levels) + " levels has " +
                std::to_string(complete) + " nodes, more than the " +
                std::to_string(reader.Remaining()) + " bytes left could describe");
    return false;
  }

  levelCount = levels;
  nodes.resize(complete);
  cellsPerAxis.resize(levels);
  cellSize.resize(levels);
  grid.resize(levels);
  for (int32_t l = 0; l < levels; ++l) {
    cellsPerAxis[l] = 1 << l;
    grid[l].assign(static_cast<size_t>(1) << (3 * l), nullptr);
  }

  root = &nodes[0];
  root->index = 0;
  root->depth = 0;
  root->parent = nullptr;
  if (!root->Read(reader, triangleCount)) {
    Clear();
    return false;
  }
  Vector3 rootSize = root->boxMax - root->boxMin;
  if (!IsFinite(root->boxMin) || !IsFinite(root->boxMax) || !IsFinite(rootSize) ||
      rootSize.x < 0.0f || rootSize.y < 0.0f || rootSize.z < 0.0f) {
    reader.Fail("octree: the root box is not a finite box with its maximum above its minimum");
    Clear();
    return false;
  }
  offset = Vector3(root->boxMin.x < 0.0f ? -root->boxMin.x : 0.0f,
                   root->boxMin.y < 0.0f ? -root->boxMin.y : 0.0f,
                   root->boxMin.z < 0.0f ? -root->boxMin.z : 0.0f);

  if (!ReadNodes(reader, triangleCount, rootSize)) {
    Clear();
    return false;
  }
  for (int32_t l = 0; l < levels; ++l) {
    cellSize[l] = rootSize * (1.0f / static_cast<float>(1 << l));
  }
  return true;
}

bool Octree::ReadNodes(ByteReader& reader, uint32_t triangleCount, const Vector3& rootSize) {
  // Breadth-first, in the order the file stores the nodes.
  std::vector<OctreeNode*> queue{root};
  for (size_t head = 0; head < queue.size(); ++head) {
    OctreeNode* node = queue[head];
    if (node->isLeaf == 0) {
      if (node->depth == levelCount - 1) {
        reader.Fail(NodeName(*node) + " is on the deepest level but is not a leaf");
        return false;
      }
      for (int32_t k = 0; k < 8; ++k) {
        OctreeNode* child = &nodes[static_cast<size_t>(8) * node->index + k + 1];
        node->children[k] = child;
        child->parent = node;
        child->depth = node->depth + 1;
        child->index = 8 * node->index + k + 1;
        if (!child->Read(reader, triangleCount)) return false;
        queue.push_back(child);
      }
    } else {
      for (OctreeNode*& child : node->children) child = nullptr;
    }
    if (!FileInGrid(reader, node, rootSize)) return false;
  }
  return true;
}

bool Octree::FileInGrid(ByteReader& reader, OctreeNode* node, const Vector3& rootSize) {
  int32_t l = node->depth;
  if (l == 0) {
    grid[0][0] = node;
    return true;
  }
  int32_t n = 1 << l;
  Vector3 s = rootSize * (1.0f / static_cast<float>(n));
  Vector3 c = (node->boxMin + node->boxMax) * 0.5f + offset;
  int32_t ix = CellCoordinate(c.x, s.x, n);
  int32_t iy = CellCoordinate(c.y, s.y, n);
  int32_t iz = CellCoordinate(c.z, s.z, n);
  if (ix < 0 || iy < 0 || iz < 0) {
    reader.Fail(NodeName(*node) + ": its box centre lies outside the root box's grid");
    return false;
  }
  OctreeNode*& cell = grid[l][(static_cast<size_t>(ix) * n + iy) * n + iz];
  if (cell != nullptr) {
    reader.Fail(NodeName(*node) + ": its box centre falls in the grid cell of node " +
                std::to_string(cell->index));
    return false;
  }
  cell = node;
  return true;
}

bool Octree::RayCast(const Ray* ray, float maxDistance, float* hitDistance) const {
  *hitDistance = maxDistance;
  if (root == nullptr) return false;
  uint32_t stamp = NextQueryStamp();
  return root->RayCast(stamp, ray, maxDistance, hitDistance);
}

bool OctreeNode::RayCast(uint32_t stamp, const Ray* ray, float maxDistance,
                         float* hitDistance) const {
  if (!RayHitsBox(ray, boxMin, boxMax)) return false;
  bool hit = false;
  if (isLeaf == 0) {
    for (const OctreeNode* child : children) {
      if (child != nullptr && child->RayCast(stamp, ray, maxDistance, hitDistance)) hit = true;
    }
    return hit;
  }
  for (const TriangleRef& ref : refs) {
    LevelTriangle& triangle = gLevelTriangles[ref.triangle];
    if (triangle.queryStamp == stamp && triangle.queryTag == ray) continue;
    triangle.queryTag = ray;
    triangle.queryStamp = stamp;
    float u, v, w, t;
    if (SegmentHitsTriangle(ray, gLevelVertices[triangle.vertex[0]],
                            gLevelVertices[triangle.vertex[1]], gLevelVertices[triangle.vertex[2]],
                            maxDistance, &u, &v, &w, &t)) {
      float d = t * maxDistance;
      if (d < *hitDistance) {
        *hitDistance = d;
        hit = true;
      }
    }
  }
  return hit;
}

bool RayHitsBox(const Ray* ray, const Vector3& min, const Vector3& max) {
  float tNear = 0.0f;
  float tFar = 3.4028235e38f;
  const float origin[3] = {ray->origin.x, ray->origin.y, ray->origin.z};
  const float direction[3] = {ray->direction.x, ray->direction.y, ray->direction.z};
  const float low[3] = {min.x, min.y, min.z};
  const float high[3] = {max.x, max.y, max.z};
  for (int axis = 0; axis < 3; ++axis) {
    float o = origin[axis];
    float d = direction[axis];
    if (std::fabs(d) < 0.0001f) {
      if (o < low[axis] || o > high[axis]) return false;
      continue;
    }
    float inverse = 1.0f / d;
    float t1 = (low[axis] - o) * inverse;
    float t2 = (high[axis] - o) * inverse;
    if (t1 > t2) std::swap(t1, t2);
    if (t1 > tNear) tNear = t1;
    if (t2 < tFar) tFar = t2;
    if (tNear > tFar) return false;
  }
  return true;
}

bool SegmentHitsTriangle(const Ray* ray, const Vector3& a, const Vector3& b, const Vector3& c,
                         float length, float* u, float* v, float* w, float* t) {
  const Vector3& p = ray->origin;
  Vector3 q = p + ray->direction * length;
  Vector3 ab = b - a;
  Vector3 ac = c - a;
  Vector3 qp = p - q;
  Vector3 n;
  n.Cross(ab, ac);
  float det = Dot(qp, n);
  if (det <= 0.0f) return false;

  Vector3 ap = p - a;
  float tt = Dot(ap, n);
  if (tt < 0.0f || tt > det) return false;
  Vector3 e;
  e.Cross(qp, ap);
  float vv = Dot(ac, e);
  if (vv < 0.0f || vv > det) return false;
  float ww = -Dot(ab, e);
  if (ww < 0.0f || vv + ww > det) return false;

  float inverse = 1.0f / det;
  tt *= inverse;
  vv *= inverse;
  ww *= inverse;
  if (t) *t = tt;
  if (v) *v = vv;
  if (w) *w = ww;
  if (u) *u = 1.0f - vv - ww;
  return true;
}

#include "level/octree.h"

#include <memory>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "assets/byte_reader.h"
#include "assets/vector_reader.h"
#include "level/level_data.h"
#include "level/octree_ray_index.h"
#include "math/vector3.h"

namespace {

constexpr uint32_t kRefGroup = OctreeRayIndex::kRefGroup;

// Grid coordinate of `centre` along one axis, or -1 when it lies outside the
// n cells. Checked as a float first: converting a NaN or an out-of-range
// value to an integer is undefined.
int32_t CellCoordinate(float centre, float cellWidth, float inverseWidth, int32_t n) {
  // The product with the inverse differs from the quotient by far less than
  // a thousandth of a cell, so away from a cell's edge both name the same
  // cell; near one, and for what is not a number, the quotient decides.
  const float g = centre * inverseWidth;
  if (g > 0.001f && g < static_cast<float>(n) - 0.001f) {
    const int32_t cell = static_cast<int32_t>(g);
    const float within = g - static_cast<float>(cell);
    if (within > 0.001f && within < 0.999f) return cell;
  }
  float f = centre / cellWidth;
  if (!(f >= 0.0f && f < static_cast<float>(n))) return -1;
  return static_cast<int32_t>(f);
}

// CellCoordinate on the three axes of `centre`. Every node a level file
// holds is filed by this, so the common case, no axis near a cell's edge,
// is taken on all three at once.
inline void CellCoordinates(const Vector3& centre, const Vector3& cellWidth,
                            const Vector3& inverseWidth, int32_t n, int32_t cell[3]) {
#if defined(__SSE2__)
  // The fourth lane, half a cell in, always passes.
  const __m128 g = _mm_mul_ps(_mm_setr_ps(centre.x, centre.y, centre.z, 0.5f),
                              _mm_setr_ps(inverseWidth.x, inverseWidth.y, inverseWidth.z, 1.0f));
  const __m128i whole = _mm_cvttps_epi32(g);
  const __m128 within = _mm_sub_ps(g, _mm_cvtepi32_ps(whole));
  const __m128 inGrid = _mm_and_ps(_mm_cmpgt_ps(g, _mm_set1_ps(0.001f)),
                                   _mm_cmplt_ps(g, _mm_set1_ps(static_cast<float>(n) - 0.001f)));
  const __m128 offEdge = _mm_and_ps(_mm_cmpgt_ps(within, _mm_set1_ps(0.001f)),
                                    _mm_cmplt_ps(within, _mm_set1_ps(0.999f)));
  if (_mm_movemask_ps(_mm_and_ps(inGrid, offEdge)) == 0xF) {
    alignas(16) int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), whole);
    cell[0] = lanes[0];
    cell[1] = lanes[1];
    cell[2] = lanes[2];
    return;
  }
#endif
  cell[0] = CellCoordinate(centre.x, cellWidth.x, inverseWidth.x, n);
  cell[1] = CellCoordinate(centre.y, cellWidth.y, inverseWidth.y, n);
  cell[2] = CellCoordinate(centre.z, cellWidth.z, inverseWidth.z, n);
}

std::string NodeName(int32_t index) {
  return "octree node " + std::to_string(index) + " (depth " +
         std::to_string(OctreeDepth(index)) + ")";
}

// Fails `reader` with the first bad reference of a block of `n`.
bool FailOnReference(ByteReader& reader, int32_t index, const uint8_t* block, int32_t n,
                     uint32_t triangleCount) {
  for (int32_t k = 0; k < n; ++k) {
    const int32_t material = static_cast<int32_t>(ByteReader::DecodeU32(block + 8 * k));
    const int32_t triangle = static_cast<int32_t>(ByteReader::DecodeU32(block + 8 * k + 4));
    if (material < 0 || material >= kMaxLevelMaterials) {
      reader.Fail(NodeName(index) + ": material index " + std::to_string(material) +
                  " is outside 0.." + std::to_string(kMaxLevelMaterials - 1));
      return false;
    }
    if (triangle < 0 || static_cast<uint32_t>(triangle) >= triangleCount) {
      reader.Fail(NodeName(index) + ": triangle index " + std::to_string(triangle) +
                  " is outside the level's " + std::to_string(triangleCount) + " triangles");
      return false;
    }
  }
  reader.Fail(NodeName(index) + ": a triangle reference is out of range");
  return false;
}

}  // namespace

bool Octree::ReadNode(ByteReader& reader, int32_t index, uint32_t triangleCount, bool deepest) {
  // Checked inline first: this runs for every node of the complete tree.
  if (reader.Remaining() < kOctreeNodeRecordSize || reader.Failed()) {
    reader.Expect(1, kOctreeNodeRecordSize, "octree node record");
    return false;
  }
  const uint8_t* record = reader.Next(kOctreeNodeRecordSize);
  if (record == nullptr) return false;
  OctreeNode& node = nodes_[index];
  node.boxMin = DecodeVector3(record + 1);
  node.boxMax = DecodeVector3(record + 13);
  int32_t count = static_cast<int32_t>(ByteReader::DecodeU32(record + 25));
  if (count < 0) {
    reader.Fail(NodeName(index) + ": negative reference count " + std::to_string(count));
    return false;
  }
  // The node's name is built only for the message: this runs for every node.
  if (static_cast<uint64_t>(count) > reader.Remaining() / 8) {
    reader.Expect(static_cast<uint64_t>(count), 8, (NodeName(index) + " references").c_str());
    return false;
  }
  // A run of the deepest level starts a group of kRefGroup of its own (see
  // OctreeRayIndex::refGroups); the references skipped belong to no node.
  if (deepest && count > 0) refs_.resize((refs_.size() + kRefGroup - 1) / kRefGroup * kRefGroup);
  if (static_cast<uint32_t>(count) > OctreeNode::kMaxRefCount ||
      refs_.size() + static_cast<uint64_t>(count) > UINT32_MAX) {
    reader.Fail(NodeName(index) + ": more triangle references than the octree can hold");
    return false;
  }
  node.firstRef = static_cast<uint32_t>(refs_.size());
  node.bits = OctreeNode::kPresent | static_cast<uint32_t>(count) |
              (record[0] != 0 ? OctreeNode::kLeaf : 0u);
  if (count == 0) return true;
  // The references are packed into the node's run a block at a time, every
  // one checked; the checks of a block are gathered into one flag, so that
  // the loop has no branch, and only a bad block is searched for the culprit.
  size_t at = refs_.size();
  refs_.resize(at + static_cast<size_t>(count));
  constexpr int32_t kBlock = 512;
  for (int32_t done = 0; done < count;) {
    const int32_t n = count - done < kBlock ? count - done : kBlock;
    const uint8_t* block = reader.Next(8 * static_cast<size_t>(n));
    if (block == nullptr) return false;
    uint32_t* packed = &refs_[at];
    bool bad = false;
    for (int32_t k = 0; k < n; ++k) {
      const uint32_t material = ByteReader::DecodeU32(block + 8 * k);
      const uint32_t triangle = ByteReader::DecodeU32(block + 8 * k + 4);
      bad |= (material >= static_cast<uint32_t>(kMaxLevelMaterials)) | (triangle >= triangleCount);
      packed[k] = triangle | material << 29;
    }
    if (bad) return FailOnReference(reader, index, block, n, triangleCount);
    at += static_cast<size_t>(n);
    done += n;
  }
  return !reader.Failed();
}

bool Octree::Read(ByteReader& reader, uint32_t triangleCount) {
  Clear();
  if (triangleCount > kMaxOctreeTriangles) {
    reader.Fail("octree: " + std::to_string(triangleCount) + " triangles, more than the " +
                std::to_string(kMaxOctreeTriangles) + " an octree can index");
    return false;
  }
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

  levelCount_ = levels;
  // Every position starts out zero: not present.
  nodes_.resize(complete);
  // Room for as many references as the rest of the file could hold, so
  // that a level's are not copied as they are read: pages never written
  // cost no memory. Only a file of many short runs on the deepest level
  // outgrows it, by the references skipped to start each run on a group.
  refs_.reserve(reader.Remaining() / 8);
  cellsPerAxis_.resize(levels);
  cellSize_.resize(levels);
  grid_.resize(levels);
  for (int32_t l = 0; l < levels; ++l) cellsPerAxis_[l] = 1 << l;

  root_ = &nodes_[0];
  if (!ReadNode(reader, 0, triangleCount, levels == 1)) {
    Clear();
    return false;
  }
  Vector3 rootSize = root_->boxMax - root_->boxMin;
  if (!IsFinite(root_->boxMin) || !IsFinite(root_->boxMax) || !IsFinite(rootSize) ||
      rootSize.x < 0.0f || rootSize.y < 0.0f || rootSize.z < 0.0f) {
    reader.Fail("octree: the root box is not a finite box with its maximum above its minimum");
    Clear();
    return false;
  }
  offset_ = Vector3(root_->boxMin.x < 0.0f ? -root_->boxMin.x : 0.0f,
                    root_->boxMin.y < 0.0f ? -root_->boxMin.y : 0.0f,
                    root_->boxMin.z < 0.0f ? -root_->boxMin.z : 0.0f);

  for (int32_t l = 0; l < levels; ++l) {
    cellSize_[l] = rootSize * (1.0f / static_cast<float>(1 << l));
  }
  if (!ReadNodes(reader, triangleCount)) {
    Clear();
    return false;
  }
  // Mark, from the deepest positions up, the nodes under which some leaf
  // lists a triangle: the ray query skips the others.
  for (size_t i = nodes_.size(); i-- > 0;) {
    OctreeNode& node = nodes_[i];
    if (node.IsLeaf() && node.RefCount() > 0) node.bits |= OctreeNode::kLeavesHoldTriangles;
    if (i > 0 && node.LeavesHoldTriangles()) {
      nodes_[OctreeParent(static_cast<int32_t>(i))].bits |= OctreeNode::kLeavesHoldTriangles;
    }
  }
  // Unmeasured, the index boxes no reference: the query then tests every
  // triangle of the leaves it enters.
  rayIndex_ = std::make_unique<OctreeRayIndex>();
  return true;
}

bool Octree::ReadNodes(ByteReader& reader, uint32_t triangleCount) {
  // The file stores the root, then the 8 children of each interior node in
  // the order the nodes were stored: breadth first, which is the order of
  // their positions. Walking the positions in that order, a present node's
  // record is the next in the file.
  int32_t deepestFirst = static_cast<int32_t>(CompleteOctreeNodeCount(levelCount_ - 1));
  int32_t depth = 0;
  int32_t levelFirst = 0;
  int32_t nextLevelFirst = 1;
  // The inverse cell size of the depth: worked out once a level, as a
  // division is the dearest step of filing a node.
  Vector3 inverse(1.0f, 1.0f, 1.0f);
  for (int32_t index = 0; index < static_cast<int32_t>(nodes_.size()); ++index) {
    if (index == nextLevelFirst) {
      ++depth;
      levelFirst = nextLevelFirst;
      nextLevelFirst = static_cast<int32_t>(CompleteOctreeNodeCount(depth + 1));
      const Vector3& s = cellSize_[depth];
      inverse = Vector3(1.0f / s.x, 1.0f / s.y, 1.0f / s.z);
    }
    const OctreeNode& node = nodes_[index];
    if (!node.IsPresent()) continue;
    if (!node.IsLeaf()) {
      if (index >= deepestFirst) {
        reader.Fail(NodeName(index) + " is on the deepest level but is not a leaf");
        return false;
      }
      const bool childrenDeepest = OctreeChild(index, 0) >= deepestFirst;
      for (int32_t k = 0; k < 8; ++k) {
        if (!ReadNode(reader, OctreeChild(index, k), triangleCount, childrenDeepest)) return false;
      }
    }
    if (!FileInGrid(reader, index, depth, levelFirst, inverse)) return false;
  }
  return true;
}

bool Octree::FileInGrid(ByteReader& reader, int32_t index, int32_t l, int32_t levelFirst,
                        const Vector3& inverse) {
  // The root's cell is its position's.
  if (l == 0) return true;
  const OctreeNode& node = nodes_[index];
  int32_t n = 1 << l;
  const Vector3& s = cellSize_[l];
  Vector3 c = (node.boxMin + node.boxMax) * 0.5f + offset_;
  int32_t at[3];
  CellCoordinates(c, s, inverse, n, at);
  if (at[0] < 0 || at[1] < 0 || at[2] < 0) {
    reader.Fail(NodeName(index) + ": its box centre lies outside the root box's grid");
    return false;
  }
  CellTable& cells = grid_[l];
  if (cells.empty()) {
    if (static_cast<int32_t>(OctreeLayoutPosition(at[0], at[1], at[2])) == index - levelFirst) {
      return true;
    }
    // The first node of the depth out of the compiler's layout: the depth
    // gets a table, with the nodes before this one in their own cells.
    cells.assign(static_cast<size_t>(1) << (3 * l), -1);
    for (int32_t earlier = levelFirst; earlier < index; ++earlier) {
      if (nodes_[earlier].IsPresent()) {
        cells[OctreeLayoutCell(static_cast<uint32_t>(earlier - levelFirst), l)] = earlier;
      }
    }
  }
  int32_t& cell = cells[(static_cast<size_t>(at[0]) * n + at[1]) * n + at[2]];
  if (cell >= 0) {
    reader.Fail(NodeName(index) + ": its box centre falls in the grid cell of node " +
                std::to_string(cell));
    return false;
  }
  cell = index;
  return true;
}

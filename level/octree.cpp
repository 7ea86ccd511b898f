#include "level/octree.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "assets/byte_reader.h"
#include "assets/vector_reader.h"
#include "level/level_data.h"
#include "platform/clock.h"
#include "platform/large_arrays.h"
#include "world/vector3.h"

namespace {

// The far end of a slab test before any slab narrows it: the largest float.
constexpr float kFarthest = std::numeric_limits<float>::max();

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

}  // namespace

static_assert(std::is_trivial<OctreeNode>::value && sizeof(OctreeNode) == 32,
              "nodes are cleared as plain bytes and packed two to a cache line");

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
      refs(std::move(other.refs)),
      cellsPerAxis(std::move(other.cellsPerAxis)),
      cellSize(std::move(other.cellSize)),
      grid(std::move(other.grid)),
      offset(other.offset),
      contents(std::move(other.contents)),
      childContents(std::move(other.childContents)),
      boxedRefsFrom(other.boxedRefsFrom),
      refGroups(std::move(other.refGroups)),
      groupBoxes(std::move(other.groupBoxes)),
      leafStepsAt(std::move(other.leafStepsAt)),
      leafSteps(std::move(other.leafSteps)) {
  other.Clear();
}

Octree& Octree::operator=(Octree&& other) noexcept {
  if (this == &other) return *this;
  Clear();
  // Moving a vector hands over its buffer, so `root` keeps pointing at the
  // same node.
  root = other.root;
  levelCount = other.levelCount;
  nodes = std::move(other.nodes);
  refs = std::move(other.refs);
  cellsPerAxis = std::move(other.cellsPerAxis);
  cellSize = std::move(other.cellSize);
  grid = std::move(other.grid);
  offset = other.offset;
  contents = std::move(other.contents);
  childContents = std::move(other.childContents);
  boxedRefsFrom = other.boxedRefsFrom;
  refGroups = std::move(other.refGroups);
  groupBoxes = std::move(other.groupBoxes);
  leafStepsAt = std::move(other.leafStepsAt);
  leafSteps = std::move(other.leafSteps);
  other.Clear();
  return *this;
}

void Octree::Clear() {
  decltype(nodes)().swap(nodes);
  decltype(refs)().swap(refs);
  decltype(contents)().swap(contents);
  decltype(childContents)().swap(childContents);
  decltype(refGroups)().swap(refGroups);
  decltype(groupBoxes)().swap(groupBoxes);
  decltype(leafStepsAt)().swap(leafStepsAt);
  decltype(leafSteps)().swap(leafSteps);
  boxedRefsFrom = 0;
  std::vector<int32_t>().swap(cellsPerAxis);
  std::vector<Vector3>().swap(cellSize);
  decltype(grid)().swap(grid);
  root = nullptr;
  levelCount = 0;
}

int32_t Octree::Depth(int32_t index) {
  int32_t depth = 0;
  for (int64_t first = 1, width = 8; index >= first; first += width, width *= 8) ++depth;
  return depth;
}

size_t Octree::MemoryBytes() const {
  // The references' run is reserved for the most the file could hold, but
  // only the pages written are ever backed by memory.
  size_t bytes =
      nodes.capacity() * sizeof(OctreeNode) + refs.size() * sizeof(uint32_t) +
      grid.capacity() * sizeof(grid[0]) + contents.capacity() * sizeof(Box) +
      childContents.capacity() * sizeof(ChildContents) + refGroups.capacity() * sizeof(RefGroup) +
      groupBoxes.capacity() * sizeof(GroupRecord) + leafStepsAt.capacity() * sizeof(uint32_t) +
      leafSteps.capacity() * sizeof(LeafSteps);
  for (const auto& cells : grid) bytes += cells.capacity() * sizeof(int32_t);
  return bytes;
}

namespace {

uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

float LoadF32(const uint8_t* p) {
  uint32_t bits = LoadU32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

Vector3 LoadVector3(const uint8_t* p) {
  return Vector3(LoadF32(p), LoadF32(p + 4), LoadF32(p + 8));
}

// The grid cell of the position `local` places after the first of its depth,
// where the level compiler files it: child slot k takes the upper x, y and
// z halves by its bits 2, 1 and 0.
size_t LayoutCell(uint32_t local, int32_t depth) {
  size_t x = 0, y = 0, z = 0;
  for (int32_t d = depth - 1; d >= 0; --d) {
    const uint32_t k = (local >> (3 * d)) & 7;
    x = 2 * x + ((k >> 2) & 1);
    y = 2 * y + ((k >> 1) & 1);
    z = 2 * z + (k & 1);
  }
  const size_t n = size_t{1} << depth;
  return (x * n + y) * n + z;
}

// The low ten bits of v, each moved to three times its place.
uint32_t Spread(uint32_t v) {
  v &= 0x3FF;
  v = (v | v << 16) & 0x030000FF;
  v = (v | v << 8) & 0x0300F00F;
  v = (v | v << 4) & 0x030C30C3;
  return (v | v << 2) & 0x09249249;
}

// The inverse of LayoutCell: the position, after the first of its depth,
// that the level compiler gives the node of cell (x, y, z).
uint32_t LayoutPosition(int32_t x, int32_t y, int32_t z) {
  return Spread(static_cast<uint32_t>(x)) << 2 | Spread(static_cast<uint32_t>(y)) << 1 |
         Spread(static_cast<uint32_t>(z));
}

std::string NodeName(int32_t index) {
  return "octree node " + std::to_string(index) + " (depth " +
         std::to_string(Octree::Depth(index)) + ")";
}

// Fails `reader` with the first bad reference of a block of `n`.
bool FailOnReference(ByteReader& reader, int32_t index, const uint8_t* block, int32_t n,
                     uint32_t triangleCount) {
  for (int32_t k = 0; k < n; ++k) {
    const int32_t material = static_cast<int32_t>(LoadU32(block + 8 * k));
    const int32_t triangle = static_cast<int32_t>(LoadU32(block + 8 * k + 4));
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
  OctreeNode& node = nodes[index];
  node.boxMin = LoadVector3(record + 1);
  node.boxMax = LoadVector3(record + 13);
  int32_t count = static_cast<int32_t>(LoadU32(record + 25));
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
  // refGroups); the references skipped belong to no node.
  if (deepest && count > 0) refs.resize((refs.size() + kRefGroup - 1) / kRefGroup * kRefGroup);
  if (static_cast<uint32_t>(count) > OctreeNode::kMaxRefCount ||
      refs.size() + static_cast<uint64_t>(count) > UINT32_MAX) {
    reader.Fail(NodeName(index) + ": more triangle references than the octree can hold");
    return false;
  }
  node.firstRef = static_cast<uint32_t>(refs.size());
  node.bits = OctreeNode::kPresent | static_cast<uint32_t>(count) |
              (record[0] != 0 ? OctreeNode::kLeaf : 0u);
  if (count == 0) return true;
  // The references are packed into the node's run a block at a time, every
  // one checked; the checks of a block are gathered into one flag, so that
  // the loop has no branch, and only a bad block is searched for the culprit.
  size_t at = refs.size();
  refs.resize(at + static_cast<size_t>(count));
  constexpr int32_t kBlock = 512;
  for (int32_t done = 0; done < count;) {
    const int32_t n = count - done < kBlock ? count - done : kBlock;
    const uint8_t* block = reader.Next(8 * static_cast<size_t>(n));
    if (block == nullptr) return false;
    uint32_t* packed = &refs[at];
    bool bad = false;
    for (int32_t k = 0; k < n; ++k) {
      const uint32_t material = LoadU32(block + 8 * k);
      const uint32_t triangle = LoadU32(block + 8 * k + 4);
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

  levelCount = levels;
  // Every position starts out zero: not present.
  nodes.resize(complete);
  // Room for as many references as the rest of the file could hold, so
  // that a level's are not copied as they are read: pages never written
  // cost no memory. Only a file of many short runs on the deepest level
  // outgrows it, by the references skipped to start each run on a group.
  refs.reserve(reader.Remaining() / 8);
  cellsPerAxis.resize(levels);
  cellSize.resize(levels);
  grid.resize(levels);
  for (int32_t l = 0; l < levels; ++l) cellsPerAxis[l] = 1 << l;

  root = &nodes[0];
  if (!ReadNode(reader, 0, triangleCount, levels == 1)) {
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

  for (int32_t l = 0; l < levels; ++l) {
    cellSize[l] = rootSize * (1.0f / static_cast<float>(1 << l));
  }
  if (!ReadNodes(reader, triangleCount)) {
    Clear();
    return false;
  }
  // Mark, from the deepest positions up, the nodes under which some leaf
  // lists a triangle: the ray query skips the others.
  for (size_t i = nodes.size(); i-- > 0;) {
    OctreeNode& node = nodes[i];
    if (node.IsLeaf() && node.RefCount() > 0) node.bits |= OctreeNode::kLeavesHoldTriangles;
    if (i > 0 && node.LeavesHoldTriangles()) {
      nodes[Parent(static_cast<int32_t>(i))].bits |= OctreeNode::kLeavesHoldTriangles;
    }
  }
  return true;
}

namespace {

// Plain comparisons, which compile to single instructions where fmin and
// fmax need a call.
float Least(float a, float b) { return b < a ? b : a; }
float Most(float a, float b) { return b > a ? b : a; }
float Least(float a, float b, float c) { return Least(Least(a, b), c); }
float Most(float a, float b, float c) { return Most(Most(a, b), c); }

void Grow(Octree::Box& box, const Vector3& low, const Vector3& high) {
  box.min = Vector3(Least(box.min.x, low.x), Least(box.min.y, low.y), Least(box.min.z, low.z));
  box.max = Vector3(Most(box.max.x, high.x), Most(box.max.y, high.y), Most(box.max.z, high.z));
}

void GrowByTriangles(Octree::Box& box, const Octree& octree, const OctreeNode& node,
                     const Vector3* positions, const LevelTriangle* triangles) {
  for (uint32_t r = node.firstRef; r < node.firstRef + node.RefCount(); ++r) {
    for (int32_t v : triangles[octree.Ref(r).triangle].vertex) {
      Grow(box, positions[v], positions[v]);
    }
  }
}

}  // namespace

void Octree::MeasureContents(const Vector3* positions, const LevelTriangle* triangles) {
  if (root == nullptr) return;
  const int32_t deepest = levelCount < kContentLevels ? levelCount - 1 : kContentLevels - 1;
  const size_t measured = CompleteOctreeNodeCount(deepest + 1);
  const size_t deepestFirst = CompleteOctreeNodeCount(deepest);
  const float far = std::numeric_limits<float>::infinity();
  contents.assign(measured, Box{Vector3(far, far, far), Vector3(-far, -far, -far)});
  // What the leaves below the measured levels hold grows the box of their
  // ancestor on the deepest measured level.
  MeasureRefBoxes(positions, triangles, deepest < levelCount - 1);
  const size_t leafLevelFirst = CompleteOctreeNodeCount(levelCount - 1);
  for (size_t i = measured; i < leafLevelFirst; ++i) {
    const OctreeNode& node = nodes[i];
    if (node.IsLeaf() && node.RefCount() > 0) {
      GrowByTriangles(contents[MeasuredAncestor(i)], *this, node, positions, triangles);
    }
  }
  for (size_t i = measured; i-- > 0;) {
    const OctreeNode& node = nodes[i];
    Box& box = contents[i];
    if (!node.LeavesHoldTriangles()) {
      // A box at infinity, which no ray's slabs cross, where nothing lies.
      box = Box{Vector3(far, far, far), Vector3(far, far, far)};
      continue;
    }
    if (node.IsLeaf()) {
      GrowByTriangles(box, *this, node, positions, triangles);
    } else if (i < deepestFirst) {
      for (int32_t k = 0; k < 8; ++k) {
        const int32_t child = Child(static_cast<int32_t>(i), k);
        if (nodes[child].LeavesHoldTriangles()) Grow(box, contents[child].min, contents[child].max);
      }
    }
    // Within the node's own box, and a hair wider than the triangles, so
    // that rounding in the slab test never loses a hit on their edge.
    auto widen = [](float v) { return 1e-4f + 1e-5f * std::fabs(v); };
    box.min = Vector3(Most(box.min.x, node.boxMin.x) - widen(box.min.x),
                      Most(box.min.y, node.boxMin.y) - widen(box.min.y),
                      Most(box.min.z, node.boxMin.z) - widen(box.min.z));
    box.max = Vector3(Least(box.max.x, node.boxMax.x) + widen(box.max.x),
                      Least(box.max.y, node.boxMax.y) + widen(box.max.y),
                      Least(box.max.z, node.boxMax.z) + widen(box.max.z));
  }
  childContents.clear();
  childContents.reserve(deepestFirst);
  for (size_t i = 0; i < deepestFirst; ++i) {
    ChildContents block;
    for (int32_t k = 0; k < 8; ++k) {
      const Box& box = contents[Child(static_cast<int32_t>(i), k)];
      const float low[3] = {box.min.x, box.min.y, box.min.z};
      const float high[3] = {box.max.x, box.max.y, box.max.z};
      for (int axis = 0; axis < 3; ++axis) {
        block.low[axis][k] = low[axis];
        block.high[axis][k] = high[axis];
      }
    }
    childContents.push_back(block);
  }
  MeasureLeafSteps();
  // The query reads the positions' boxes from childContents; only the
  // root's is wanted here.
  contents.resize(1);
  contents.shrink_to_fit();
}

size_t Octree::MeasuredAncestor(size_t index) const {
  while (index >= contents.size()) index = static_cast<size_t>(Parent(static_cast<int32_t>(index)));
  return index;
}

// Inline: the ray query works out a frame for every deepest leaf it enters.
inline Octree::Box Octree::RefFrame(const OctreeNode& node) const {
  const Vector3 rootSize = root->boxMax - root->boxMin;
  const float largest = rootSize.x > rootSize.y ? rootSize.x : rootSize.y;
  const float room = 1e-3f * (largest > rootSize.z ? largest : rootSize.z);
  const Vector3 size = node.boxMax - node.boxMin;
  const Vector3 grow(0.25f * size.x + room, 0.25f * size.y + room, 0.25f * size.z + room);
  return Box{node.boxMin - grow, node.boxMax + grow};
}

namespace {

constexpr float kRefBoxSteps = 255.0f;
constexpr float kPerRefBoxStep = 1.0f / kRefBoxSteps;

// The step at or below `q` less one, within 0..255; 0 for what is not a
// number, so that such a triangle's box covers the frame.
uint8_t LowStep(float q) {
  q -= 1.0f;
  if (!(q > 0.0f)) return 0;
  return q >= kRefBoxSteps ? 255 : static_cast<uint8_t>(q);
}

// The step at or above `q` plus one, within 0..255; 255 for what is not a
// number.
uint8_t HighStep(float q) {
  q += 2.0f;
  if (!(q < kRefBoxSteps)) return 255;
  return q <= 0.0f ? 0 : static_cast<uint8_t>(q);
}

// Writes into lane `lane` of `boxes` the box of the first `lanes` boxes of
// `group`.
void MeasureGroupBox(const Octree::BoxSteps& group, uint32_t lanes, Octree::BoxSteps& boxes,
                     size_t lane) {
#if defined(__SSE2__)
  // The eight steps of a side are one 64-bit half of a register; lanes past
  // the first `lanes` are made to lose every comparison.
  const uint64_t unused = lanes >= 8 ? 0 : ~uint64_t{0} << (8 * lanes);
  __m128i sides[3];
  std::memcpy(sides, &group, sizeof sides);
  const __m128i lowOnly = _mm_set_epi64x(0, static_cast<int64_t>(unused));
  const __m128i both = _mm_set1_epi64x(static_cast<int64_t>(unused));
  // low[0] and low[1]; low[2] and high[0]; high[1] and high[2].
  __m128i least = _mm_or_si128(sides[0], both);
  __m128i mixedLeast = _mm_or_si128(sides[1], lowOnly);
  __m128i mixedMost = _mm_andnot_si128(_mm_set_epi64x(static_cast<int64_t>(unused), 0), sides[1]);
  __m128i most = _mm_andnot_si128(both, sides[2]);
  for (int shift = 32; shift >= 8; shift /= 2) {
    least = _mm_min_epu8(least, _mm_srli_epi64(least, shift));
    mixedLeast = _mm_min_epu8(mixedLeast, _mm_srli_epi64(mixedLeast, shift));
    mixedMost = _mm_max_epu8(mixedMost, _mm_srli_epi64(mixedMost, shift));
    most = _mm_max_epu8(most, _mm_srli_epi64(most, shift));
  }
  alignas(16) uint8_t l[16], ml[16], mm[16], m[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(l), least);
  _mm_store_si128(reinterpret_cast<__m128i*>(ml), mixedLeast);
  _mm_store_si128(reinterpret_cast<__m128i*>(mm), mixedMost);
  _mm_store_si128(reinterpret_cast<__m128i*>(m), most);
  boxes.low[0][lane] = l[0];
  boxes.low[1][lane] = l[8];
  boxes.low[2][lane] = ml[0];
  boxes.high[0][lane] = mm[8];
  boxes.high[1][lane] = m[0];
  boxes.high[2][lane] = m[8];
#else
  for (int axis = 0; axis < 3; ++axis) {
    uint8_t least = 255, most = 0;
    for (uint32_t k = 0; k < lanes; ++k) {
      least = group.low[axis][k] < least ? group.low[axis][k] : least;
      most = group.high[axis][k] > most ? group.high[axis][k] : most;
    }
    boxes.low[axis][lane] = least;
    boxes.high[axis][lane] = most;
  }
#endif
}

}  // namespace

void Octree::MeasureRefBoxes(const Vector3* positions, const LevelTriangle* triangles,
                             bool growAncestors) {
  const size_t deepestFirst = CompleteOctreeNodeCount(levelCount - 1);
  boxedRefsFrom = static_cast<uint32_t>(refs.size());
  for (size_t i = deepestFirst; i < nodes.size(); ++i) {
    if (nodes[i].RefCount() > 0) {
      boxedRefsFrom = nodes[i].firstRef;
      break;
    }
  }
  const size_t boxed = refs.size() - boxedRefsFrom;
  // Every lane in use is written below, as every reference from
  // boxedRefsFrom on belongs to a node of the deepest level; the lanes past
  // the end of a node's run stay zero.
  refGroups.resize((boxed + kRefGroup - 1) / kRefGroup);
  groupBoxes.resize((refGroups.size() + kRefGroup - 1) / kRefGroup);
  for (size_t i = deepestFirst; i < nodes.size(); ++i) {
    const OctreeNode& node = nodes[i];
    const uint32_t end = node.firstRef + node.RefCount();
    if (node.firstRef == end) continue;
    const Box frame = RefFrame(node);
    const float from[3] = {frame.min.x, frame.min.y, frame.min.z};
    const float size[3] = {frame.max.x - from[0], frame.max.y - from[1], frame.max.z - from[2]};
    const float step[3] = {size[0] * kPerRefBoxStep, size[1] * kPerRefBoxStep,
                           size[2] * kPerRefBoxStep};
    const float perStep[3] = {1.0f / step[0], 1.0f / step[1], 1.0f / step[2]};
    // The steps the node's references span.
    uint8_t spanLow[3] = {255, 255, 255};
    uint8_t spanHigh[3] = {0, 0, 0};
    constexpr uint32_t kAhead = 8;
    for (uint32_t r = node.firstRef; r < end; ++r) {
      if (r + kAhead < end) {
        __builtin_prefetch(&triangles[refs[r + kAhead] & (kMaxOctreeTriangles - 1)]);
      }
      const LevelTriangle& triangle = triangles[refs[r] & (kMaxOctreeTriangles - 1)];
      const Vector3& a = positions[triangle.vertex[0]];
      const Vector3& b = positions[triangle.vertex[1]];
      const Vector3& c = positions[triangle.vertex[2]];
      // A triangle with a corner that is not a number is never hit, so
      // whatever box it gets will do.
      const float low[3] = {Least(a.x, b.x, c.x), Least(a.y, b.y, c.y), Least(a.z, b.z, c.z)};
      const float high[3] = {Most(a.x, b.x, c.x), Most(a.y, b.y, c.y), Most(a.z, b.z, c.z)};
      BoxSteps& group = refGroups[(r - boxedRefsFrom) / kRefGroup].boxes;
      const uint32_t lane = (r - boxedRefsFrom) % kRefGroup;
      for (int axis = 0; axis < 3; ++axis) {
        const uint8_t lowStep = LowStep((low[axis] - from[axis]) * perStep[axis]);
        const uint8_t highStep = HighStep((high[axis] - from[axis]) * perStep[axis]);
        group.low[axis][lane] = lowStep;
        group.high[axis][lane] = highStep;
        spanLow[axis] = lowStep < spanLow[axis] ? lowStep : spanLow[axis];
        spanHigh[axis] = highStep > spanHigh[axis] ? highStep : spanHigh[axis];
      }
    }
    for (size_t g = (node.firstRef - boxedRefsFrom) / kRefGroup;
         boxedRefsFrom + g * kRefGroup < end; ++g) {
      const size_t inNode = end - (boxedRefsFrom + g * kRefGroup);
      const uint32_t lanes = inNode < kRefGroup ? static_cast<uint32_t>(inNode) : kRefGroup;
      MeasureGroupBox(refGroups[g].boxes, lanes, groupBoxes[g / kRefGroup].boxes, g % kRefGroup);
      // A record's base is the least triangle of its first group, which
      // always names some: groups are filled in order, and a run starts one.
      // A group whose triangles lie outside the 65536 from there is read
      // from `refs` instead.
      uint32_t named[kRefGroup];
      uint32_t least = UINT32_MAX, most = 0;
      for (uint32_t lane = 0; lane < lanes; ++lane) {
        named[lane] = refs[boxedRefsFrom + g * kRefGroup + lane] & (kMaxOctreeTriangles - 1);
        least = named[lane] < least ? named[lane] : least;
        most = named[lane] > most ? named[lane] : most;
      }
      GroupRecord& record = groupBoxes[g / kRefGroup];
      if (g % kRefGroup == 0) record.base = least;
      if (least < record.base || most - record.base > UINT16_MAX) {
        record.inRefs |= static_cast<uint8_t>(1u << (g % kRefGroup));
        continue;
      }
      for (uint32_t lane = 0; lane < lanes; ++lane) {
        refGroups[g].fromBase[lane] = static_cast<uint16_t>(named[lane] - record.base);
      }
    }
    if (growAncestors) {
      float lowAt[3], highAt[3];
      for (int axis = 0; axis < 3; ++axis) {
        lowAt[axis] = from[axis] + static_cast<float>(spanLow[axis]) * step[axis];
        highAt[axis] = from[axis] + static_cast<float>(spanHigh[axis]) * step[axis];
      }
      Grow(contents[MeasuredAncestor(i)], Vector3(lowAt[0], lowAt[1], lowAt[2]),
           Vector3(highAt[0], highAt[1], highAt[2]));
    }
  }
}

// Inline: the ray query reads a frame here for every node of leafSteps it
// enters.
inline Octree::Box Octree::ContentBox(int32_t index) const {
  const ChildContents& around = childContents[Parent(index)];
  const int32_t k = (index - 1) % 8;
  return Box{Vector3(around.low[0][k], around.low[1][k], around.low[2][k]),
             Vector3(around.high[0][k], around.high[1][k], around.high[2][k])};
}

void Octree::MeasureLeafSteps() {
  leafStepsAt.clear();
  leafSteps.clear();
  const int32_t depth = kContentLevels - 1;
  if (levelCount <= kContentLevels || childContents.empty()) return;
  const size_t first = CompleteOctreeNodeCount(depth);
  const size_t end = CompleteOctreeNodeCount(depth + 1);
  leafStepsAt.assign(end - first, kNoLeafSteps);
  for (size_t i = first; i < end; ++i) {
    const OctreeNode& node = nodes[i];
    if (node.IsLeaf() || !node.LeavesHoldTriangles()) continue;
    const int32_t index = static_cast<int32_t>(i);
    const Box around = ContentBox(index);
    const float from[3] = {around.min.x, around.min.y, around.min.z};
    const float to[3] = {around.max.x, around.max.y, around.max.z};
    float perStep[3];
    bool usable = true;
    for (int axis = 0; axis < 3; ++axis) {
      const float step = (to[axis] - from[axis]) * kPerRefBoxStep;
      perStep[axis] = 1.0f / step;
      usable = usable && step > 0.0f && step < kFarthest;
    }
    LeafSteps steps{};
    uint32_t groupEnd = 0;
    bool anyGroup = false;
    for (int32_t k = 0; k < 8 && usable; ++k) {
      steps.groupsFrom[k] = static_cast<uint8_t>(anyGroup ? groupEnd - steps.firstGroup : 0);
      const OctreeNode& child = nodes[Child(index, k)];
      for (int axis = 0; axis < 3; ++axis) {
        steps.boxes.low[axis][k] = 255;
        steps.boxes.high[axis][k] = 0;
      }
      if (!child.LeavesHoldTriangles()) continue;
      // Only a leaf of the deepest level has groups; a child's groups must
      // follow the previous child's, as runs stored in order do.
      if (!child.IsLeaf() || child.firstRef < boxedRefsFrom) {
        usable = false;
        break;
      }
      const uint32_t firstGroup = (child.firstRef - boxedRefsFrom) / kRefGroup;
      const uint32_t lastGroup =
          (child.firstRef + child.RefCount() - 1 - boxedRefsFrom) / kRefGroup;
      if (!anyGroup) steps.firstGroup = groupEnd = firstGroup;
      anyGroup = true;
      if (firstGroup != groupEnd || lastGroup + 1 - steps.firstGroup > 255) {
        usable = false;
        break;
      }
      groupEnd = lastGroup + 1;
      // What the child holds: its groups' boxes, within its own box.
      const Box frame = RefFrame(child);
      const float frameFrom[3] = {frame.min.x, frame.min.y, frame.min.z};
      const float frameSize[3] = {frame.max.x - frame.min.x, frame.max.y - frame.min.y,
                                  frame.max.z - frame.min.z};
      const float boxMin[3] = {child.boxMin.x, child.boxMin.y, child.boxMin.z};
      const float boxMax[3] = {child.boxMax.x, child.boxMax.y, child.boxMax.z};
      bool empty = false;
      uint8_t low[3], high[3];
      for (int axis = 0; axis < 3; ++axis) {
        uint8_t least = 255, most = 0;
        for (uint32_t g = firstGroup; g <= lastGroup; ++g) {
          const BoxSteps& boxes = groupBoxes[g / kRefGroup].boxes;
          least = boxes.low[axis][g % kRefGroup] < least ? boxes.low[axis][g % kRefGroup] : least;
          most = boxes.high[axis][g % kRefGroup] > most ? boxes.high[axis][g % kRefGroup] : most;
        }
        const float frameStep = frameSize[axis] * kPerRefBoxStep;
        const float lowAt =
            Most(frameFrom[axis] + static_cast<float>(least) * frameStep, boxMin[axis]);
        const float highAt =
            Least(frameFrom[axis] + static_cast<float>(most) * frameStep, boxMax[axis]);
        empty = empty || !(lowAt <= highAt);
        // Outside the node's content box only in a file whose boxes do
        // not nest: such a node keeps its children's records.
        if (!empty && !(lowAt >= from[axis] && highAt <= to[axis])) usable = false;
        low[axis] = LowStep((lowAt - from[axis]) * perStep[axis]);
        high[axis] = HighStep((highAt - from[axis]) * perStep[axis]);
      }
      // A child whose triangles lie outside its box holds no hit.
      if (empty) continue;
      for (int axis = 0; axis < 3; ++axis) {
        steps.boxes.low[axis][k] = low[axis];
        steps.boxes.high[axis][k] = high[axis];
      }
    }
    if (!usable || !anyGroup) continue;
    steps.groupsFrom[8] = static_cast<uint8_t>(groupEnd - steps.firstGroup);
    leafStepsAt[i - first] = static_cast<uint32_t>(leafSteps.size());
    leafSteps.push_back(steps);
  }
}

bool Octree::ReadNodes(ByteReader& reader, uint32_t triangleCount) {
  // The file stores the root, then the 8 children of each interior node in
  // the order the nodes were stored: breadth first, which is the order of
  // their positions. Walking the positions in that order, a present node's
  // record is the next in the file.
  int32_t deepestFirst = static_cast<int32_t>(CompleteOctreeNodeCount(levelCount - 1));
  int32_t depth = 0;
  int32_t levelFirst = 0;
  int32_t nextLevelFirst = 1;
  // The inverse cell size of the depth: worked out once a level, as a
  // division is the dearest step of filing a node.
  Vector3 inverse(1.0f, 1.0f, 1.0f);
  for (int32_t index = 0; index < static_cast<int32_t>(nodes.size()); ++index) {
    if (index == nextLevelFirst) {
      ++depth;
      levelFirst = nextLevelFirst;
      nextLevelFirst = static_cast<int32_t>(CompleteOctreeNodeCount(depth + 1));
      const Vector3& s = cellSize[depth];
      inverse = Vector3(1.0f / s.x, 1.0f / s.y, 1.0f / s.z);
    }
    const OctreeNode& node = nodes[index];
    if (!node.IsPresent()) continue;
    if (!node.IsLeaf()) {
      if (index >= deepestFirst) {
        reader.Fail(NodeName(index) + " is on the deepest level but is not a leaf");
        return false;
      }
      const bool childrenDeepest = Child(index, 0) >= deepestFirst;
      for (int32_t k = 0; k < 8; ++k) {
        if (!ReadNode(reader, Child(index, k), triangleCount, childrenDeepest)) return false;
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
  const OctreeNode& node = nodes[index];
  int32_t n = 1 << l;
  const Vector3& s = cellSize[l];
  Vector3 c = (node.boxMin + node.boxMax) * 0.5f + offset;
  int32_t at[3];
  CellCoordinates(c, s, inverse, n, at);
  if (at[0] < 0 || at[1] < 0 || at[2] < 0) {
    reader.Fail(NodeName(index) + ": its box centre lies outside the root box's grid");
    return false;
  }
  CellTable& cells = grid[l];
  if (cells.empty()) {
    if (static_cast<int32_t>(LayoutPosition(at[0], at[1], at[2])) == index - levelFirst) {
      return true;
    }
    // The first node of the depth out of the compiler's layout: the depth
    // gets a table, with the nodes before this one in their own cells.
    cells.assign(static_cast<size_t>(1) << (3 * l), -1);
    for (int32_t earlier = levelFirst; earlier < index; ++earlier) {
      if (nodes[earlier].IsPresent()) {
        cells[LayoutCell(static_cast<uint32_t>(earlier - levelFirst), l)] = earlier;
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

int32_t Octree::NodeInCell(int32_t depth, int32_t x, int32_t y, int32_t z) const {
  const CellTable& cells = grid[depth];
  const int32_t n = 1 << depth;
  if (!cells.empty()) return cells[(static_cast<size_t>(x) * n + y) * n + z];
  const int32_t index =
      static_cast<int32_t>(CompleteOctreeNodeCount(depth) + LayoutPosition(x, y, z));
  return nodes[index].IsPresent() ? index : -1;
}

namespace {

// SegmentHitsTriangle, inlined into the ray query.
inline bool SegmentHits(const Ray* ray, const Vector3& a, const Vector3& b, const Vector3& c,
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

// Four floats, and four comparison results of all ones or all zeros.
typedef float Lanes __attribute__((vector_size(16)));
typedef int32_t LaneMask __attribute__((vector_size(16)));

// A bit for each lane of `mask` that is set.
inline unsigned LaneBits(LaneMask mask) {
#if defined(__SSE2__)
  return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(reinterpret_cast<__m128i>(mask))));
#else
  unsigned bits = 0;
  for (int lane = 0; lane < 4; ++lane) bits |= (mask[lane] & 1u) << lane;
  return bits;
#endif
}

// The slab test of RayHitsBox with the inverse direction worked out once
// per ray: the same arithmetic, so the same boxes pass, and the distance
// along the ray at which the box is entered.
struct RaySlabs {
  explicit RaySlabs(const Ray& ray) {
    const float o[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const float d[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    for (int axis = 0; axis < 3; ++axis) {
      origin[axis] = o[axis];
      parallel[axis] = std::fabs(d[axis]) < 0.0001f;
      inverse[axis] = parallel[axis] ? 0.0f : 1.0f / d[axis];
      anyParallel = anyParallel || parallel[axis];
    }
  }

  __attribute__((always_inline)) bool Hits(const OctreeNode& node, float* entry) const {
    return Hits(node.boxMin, node.boxMax, entry);
  }

  __attribute__((always_inline)) bool Hits(const Vector3& min, const Vector3& max,
                                           float* entry) const {
    return anyParallel ? Slabs<true>(min, max, entry) : Slabs<false>(min, max, entry);
  }

  // A slab with a NaN bound is passed over; a parallel one, when there may
  // be one, passes only an origin within it.
  template <bool kMayBeParallel>
  bool Slabs(const Vector3& min, const Vector3& max, float* entry) const {
    const float low[3] = {min.x, min.y, min.z};
    const float high[3] = {max.x, max.y, max.z};
    float tNear = 0.0f;
    float tFar = kFarthest;
    for (int axis = 0; axis < 3; ++axis) {
      if (kMayBeParallel && parallel[axis]) {
        if (origin[axis] < low[axis] || origin[axis] > high[axis]) return false;
        continue;
      }
      const float t1 = (low[axis] - origin[axis]) * inverse[axis];
      const float t2 = (high[axis] - origin[axis]) * inverse[axis];
      const float enter = t1 < t2 ? t1 : t2;
      const float leave = t1 < t2 ? t2 : t1;
      tNear = enter > tNear ? enter : tNear;
      tFar = leave < tFar ? leave : tFar;
    }
    *entry = tNear;
    // tNear only grows and tFar only shrinks, so one comparison at the end
    // answers as one after every axis would.
    return !(tNear > tFar);
  }

  // Hits for eight boxes at once, four to a vector, for a ray that runs
  // parallel to no slab: a bit for each box the line crosses, and where it
  // enters each.
  unsigned CrossesEight(const Octree::ChildContents& boxes, float entries[8]) const {
    unsigned crossed = 0;
    for (int half = 0; half < 8; half += 4) {
      Lanes tNear = {0.0f, 0.0f, 0.0f, 0.0f};
      Lanes tFar = {kFarthest, kFarthest, kFarthest, kFarthest};
      for (int axis = 0; axis < 3; ++axis) {
        Lanes low, high;
        std::memcpy(&low, &boxes.low[axis][half], sizeof low);
        std::memcpy(&high, &boxes.high[axis][half], sizeof high);
        const Lanes t1 = (low - origin[axis]) * inverse[axis];
        const Lanes t2 = (high - origin[axis]) * inverse[axis];
        const Lanes enter = t1 < t2 ? t1 : t2;
        const Lanes leave = t1 < t2 ? t2 : t1;
        tNear = enter > tNear ? enter : tNear;
        tFar = leave < tFar ? leave : tFar;
      }
      std::memcpy(&entries[half], &tNear, sizeof tNear);
      const LaneMask missed = tNear > tFar;
      crossed |= (~LaneBits(missed) & 0xfu) << half;
    }
    return crossed;
  }

#if defined(__x86_64__)
  // CrossesEight with the eight boxes in one vector; the same arithmetic,
  // so the same answers.
  __attribute__((target("avx2"))) unsigned CrossesEightWide(const Octree::ChildContents& boxes,
                                                            float entries[8]) const {
    __m256 tNear = _mm256_setzero_ps();
    __m256 tFar = _mm256_set1_ps(kFarthest);
    for (int axis = 0; axis < 3; ++axis) {
      const __m256 o = _mm256_set1_ps(origin[axis]);
      const __m256 d = _mm256_set1_ps(inverse[axis]);
      const __m256 t1 = _mm256_mul_ps(_mm256_sub_ps(_mm256_loadu_ps(boxes.low[axis]), o), d);
      const __m256 t2 = _mm256_mul_ps(_mm256_sub_ps(_mm256_loadu_ps(boxes.high[axis]), o), d);
      const __m256 firstIsLess = _mm256_cmp_ps(t1, t2, _CMP_LT_OQ);
      const __m256 enter = _mm256_blendv_ps(t2, t1, firstIsLess);
      const __m256 leave = _mm256_blendv_ps(t1, t2, firstIsLess);
      tNear = _mm256_blendv_ps(tNear, enter, _mm256_cmp_ps(enter, tNear, _CMP_GT_OQ));
      tFar = _mm256_blendv_ps(tFar, leave, _mm256_cmp_ps(leave, tFar, _CMP_LT_OQ));
    }
    _mm256_storeu_ps(entries, tNear);
    const unsigned missed =
        static_cast<unsigned>(_mm256_movemask_ps(_mm256_cmp_ps(tNear, tFar, _CMP_GT_OQ)));
    return ~missed & 0xFFu;
  }
#endif

  float origin[3];
  float inverse[3];
  bool parallel[3];
  bool anyParallel = false;
};

// The eight steps of one side of a group's boxes, as two vectors of four.
inline void StepsAsLanes(const uint8_t steps[8], Lanes* first, Lanes* second) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  __m128i bytes;
  std::memcpy(&bytes, steps, 8);
  const __m128i words = _mm_unpacklo_epi8(bytes, zero);
  *first = reinterpret_cast<Lanes>(_mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero)));
  *second = reinterpret_cast<Lanes>(_mm_cvtepi32_ps(_mm_unpackhi_epi16(words, zero)));
#else
  for (int lane = 0; lane < 4; ++lane) {
    (*first)[lane] = static_cast<float>(steps[lane]);
    (*second)[lane] = static_cast<float>(steps[lane + 4]);
  }
#endif
}

// The slab test of a node's reference boxes: along each axis, the distance
// along the ray of step k of the frame is base + k * per. Usable only where no
// axis is parallel, and only while the origin lies within 2^20 steps of the
// frame, so that rounding stays well under the step each box was grown by.
struct RefBoxSlabs {
  bool Set(const RaySlabs& slabs, const Octree::Box& frame) {
    const float low[3] = {frame.min.x, frame.min.y, frame.min.z};
    const float high[3] = {frame.max.x, frame.max.y, frame.max.z};
    for (int axis = 0; axis < 3; ++axis) {
      const float step = (high[axis] - low[axis]) * kPerRefBoxStep;
      const float from = low[axis] - slabs.origin[axis];
      if (!(step > 0.0f && step < kFarthest && std::fabs(from) < step * 1048576.0f)) return false;
      base[axis] = from * slabs.inverse[axis];
      per[axis] = step * slabs.inverse[axis];
      lowIsNear[axis] = per[axis] > 0.0f;
    }
    return true;
  }

  // A bit for each box of the group that the line meets between the origin
  // and `reach`, and the distance along it where it enters each.
  unsigned Meets(const Octree::BoxSteps& group, float reach, float entries[8]) const {
    static_assert(Octree::kRefGroup == 8, "two vectors a group");
    Lanes nearFirst = {0.0f, 0.0f, 0.0f, 0.0f};
    Lanes nearSecond = nearFirst;
    Lanes farFirst = {reach, reach, reach, reach};
    Lanes farSecond = farFirst;
    for (int axis = 0; axis < 3; ++axis) {
      // A box's low step never lies above its high one, so the side the
      // line enters by follows from the direction's sign alone.
      const uint8_t* enterSteps = lowIsNear[axis] ? group.low[axis] : group.high[axis];
      const uint8_t* leaveSteps = lowIsNear[axis] ? group.high[axis] : group.low[axis];
      Lanes enterFirst, enterSecond, leaveFirst, leaveSecond;
      StepsAsLanes(enterSteps, &enterFirst, &enterSecond);
      StepsAsLanes(leaveSteps, &leaveFirst, &leaveSecond);
      enterFirst = base[axis] + enterFirst * per[axis];
      enterSecond = base[axis] + enterSecond * per[axis];
      leaveFirst = base[axis] + leaveFirst * per[axis];
      leaveSecond = base[axis] + leaveSecond * per[axis];
      nearFirst = enterFirst > nearFirst ? enterFirst : nearFirst;
      nearSecond = enterSecond > nearSecond ? enterSecond : nearSecond;
      farFirst = leaveFirst < farFirst ? leaveFirst : farFirst;
      farSecond = leaveSecond < farSecond ? leaveSecond : farSecond;
    }
    std::memcpy(&entries[0], &nearFirst, sizeof nearFirst);
    std::memcpy(&entries[4], &nearSecond, sizeof nearSecond);
    const LaneMask insideFirst = nearFirst <= farFirst;
    const LaneMask insideSecond = nearSecond <= farSecond;
    return LaneBits(insideFirst) | LaneBits(insideSecond) << 4;
  }

#if defined(__x86_64__)
  // Meets with the group's eight boxes in one vector; the same arithmetic,
  // so the same answers.
  __attribute__((target("avx2"))) unsigned MeetsWide(const Octree::BoxSteps& group, float reach,
                                                     float entries[8]) const {
    __m256 nearest = _mm256_setzero_ps();
    __m256 farthest = _mm256_set1_ps(reach);
    for (int axis = 0; axis < 3; ++axis) {
      const uint8_t* enterSteps = lowIsNear[axis] ? group.low[axis] : group.high[axis];
      const uint8_t* leaveSteps = lowIsNear[axis] ? group.high[axis] : group.low[axis];
      const __m256 from = _mm256_set1_ps(base[axis]);
      const __m256 step = _mm256_set1_ps(per[axis]);
      const __m256 enter = _mm256_add_ps(from, _mm256_mul_ps(StepsAsWideLanes(enterSteps), step));
      const __m256 leave = _mm256_add_ps(from, _mm256_mul_ps(StepsAsWideLanes(leaveSteps), step));
      nearest = _mm256_blendv_ps(nearest, enter, _mm256_cmp_ps(enter, nearest, _CMP_GT_OQ));
      farthest = _mm256_blendv_ps(farthest, leave, _mm256_cmp_ps(leave, farthest, _CMP_LT_OQ));
    }
    _mm256_storeu_ps(entries, nearest);
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_cmp_ps(nearest, farthest, _CMP_LE_OQ)));
  }

  __attribute__((target("avx2"))) static __m256 StepsAsWideLanes(const uint8_t steps[8]) {
    // Only the eight steps are loaded; the rest of the register is zero.
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(steps));
    return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes));
  }
#endif

  float base[3];
  float per[3];
  bool lowIsNear[3];
};

// Asks for the cache lines of [begin, end) ahead of their use.
template <class T>
void FetchRun(const T* begin, const T* end) {
  const char* from = reinterpret_cast<const char*>(begin);
  const char* to = reinterpret_cast<const char*>(end);
  for (const char* p = from; p < to; p += 64) __builtin_prefetch(p);
  __builtin_prefetch(to - 1);
}

// The bits of a mask of children, child k moved to bit k ^ flip: taking the
// result's bits from the highest down visits the children in falling
// k ^ flip, with a branch for each child taken rather than one for each of
// the eight, which the processor would often mispredict.
inline unsigned FlipChildBits(unsigned bits, int32_t flip) {
  if (flip & 1) bits = ((bits & 0x55u) << 1) | ((bits >> 1) & 0x55u);
  if (flip & 2) bits = ((bits & 0x33u) << 2) | ((bits >> 2) & 0x33u);
  if (flip & 4) bits = ((bits & 0x0Fu) << 4) | (bits >> 4);
  return bits;
}

// Takes the highest set bit off `bits` and returns its position.
inline int32_t TakeHighestBit(unsigned* bits) {
  const int32_t bit = 31 - __builtin_clz(*bits);
  *bits &= ~(1u << bit);
  return bit;
}

// Inserts `item` among the first `count` of `items`, which are kept nearest
// first.
template <class T>
__attribute__((always_inline)) inline void InsertNearestFirst(T* items, int* count, const T& item) {
  int at = (*count)++;
  for (; at > 0 && items[at - 1].entry > item.entry; --at) items[at] = items[at - 1];
  items[at] = item;
}

// Tests the triangle a leaf's reference names, once per query (its tag and
// stamp mark it tested), and keeps a front-face hit nearer than
// `*hitDistance`.
inline void TestTriangle(const Ray* ray, uint32_t stamp, uint32_t ref, float maxDistance,
                         float slack, float* hitDistance, bool* hit) {
  LevelTriangle& triangle = gLevelTriangles[ref & (kMaxOctreeTriangles - 1)];
  if (triangle.queryStamp == stamp && triangle.queryTag == ray) return;
  triangle.queryTag = ray;
  triangle.queryStamp = stamp;
  // The triangle's plane, stored with it, settles most misses before its
  // corners are fetched: a front-face hit nearer than the nearest so far
  // needs the origin in front of the plane and the point at that distance
  // behind it. The margin keeps this a strict subset of what the full test
  // rejects, rounding included; a NaN plane is not cut.
  const Plane& plane = triangle.plane;
  float front = Dot(plane.normal, ray->origin) - plane.distance;
  float along = Dot(plane.normal, ray->direction) * *hitDistance;
  float tolerance = 1e-5f * (slack + std::fabs(plane.distance) + std::fabs(along));
  if (front < -tolerance || front + along > tolerance) return;
  float u, v, w, t;
  if (SegmentHits(ray, gLevelVertices[triangle.vertex[0]], gLevelVertices[triangle.vertex[1]],
                  gLevelVertices[triangle.vertex[2]], maxDistance, &u, &v, &w, &t)) {
    float d = t * maxDistance;
    if (d < *hitDistance) {
      *hitDistance = d;
      *hit = true;
    }
  }
}

// The two box tests of the ray query, in eight lanes where the processor
// has them and in two halves of four where it does not.
template <bool kWide>
__attribute__((always_inline)) inline unsigned CrossesEight(const RaySlabs& slabs,
                                                            const Octree::ChildContents& boxes,
                                                            float entries[8]) {
#if defined(__x86_64__)
  if constexpr (kWide) return slabs.CrossesEightWide(boxes, entries);
#endif
  return slabs.CrossesEight(boxes, entries);
}

template <bool kWide>
__attribute__((always_inline)) inline unsigned Meets(const RefBoxSlabs& boxes,
                                                     const Octree::BoxSteps& group, float reach,
                                                     float entries[8]) {
#if defined(__x86_64__)
  if constexpr (kWide) return boxes.MeetsWide(group, reach, entries);
#endif
  return boxes.Meets(group, reach, entries);
}

}  // namespace

// Visits the nodes whose box the ray's line passes, a node's children in
// the order the line passes their octants, and skips those under which no
// leaf lists a triangle. The order only decides how soon a hit cuts off the
// rest; the answer does not depend on it. Once the nearest hit so
// far lies before a box's entry (with a margin for rounding), nothing in
// that box can come nearer: a hit point lies inside some leaf's box, and
// that leaf lists the triangle, as the level compiler writes every leaf.
// The same holds for the box of what lies below a node (`childContents`)
// and, within a leaf, for a triangle's box cut to the leaf's frame: a hit
// beyond the frame lies inside another leaf. The answer is the same as
// testing every triangle of every leaf the line passes. A ray that
// runs parallel to some slab gets no such cut-off: the slab test rejects
// boxes beside its origin on that axis that the segment may still graze, so
// its hits may be found only through farther leaves.
template <bool kWide>
__attribute__((always_inline)) inline bool Octree::CastRay(const Ray* ray, float maxDistance,
                                                           float* hitDistance) const {
  *hitDistance = maxDistance;
  // The nearest hit so far, kept in a register rather than behind a pointer.
  float best = maxDistance;
  if (root == nullptr) return false;
  uint32_t stamp = NextQueryStamp();
  const RaySlabs slabs(*ray);
  float entry = 0.0f;
  if (!root->LeavesHoldTriangles() || !slabs.Hits(*root, &entry)) return false;
  // Rounding margin of the cut-off, in units of the direction's length.
  const Vector3 size = root->boxMax - root->boxMin;
  const float margin =
      1e-4f * (size.x + size.y + size.z) / std::sqrt(Dot(ray->direction, ray->direction));
  const bool cutOff = !slabs.anyParallel && std::isfinite(margin);
  // The content boxes cut off as the nearest hit does, and so only where
  // that does.
  const int32_t measured = cutOff ? static_cast<int32_t>(contents.size()) : 0;
  if (measured > 0) {
    float inside = 0.0f;
    if (!slabs.Hits(contents[0].min, contents[0].max, &inside)) return false;
    if (inside > entry) entry = inside;
  }
  const float slack =
      std::fabs(ray->origin.x) + std::fabs(ray->origin.y) + std::fabs(ray->origin.z) + 1.0f;

  struct Entry {
    int32_t index;
    float entry;
    uint32_t leafSteps;
  };
  // Each level down replaces one entry with at most eight.
  Entry stack[7 * kMaxOctreeLevels + 1];
  int top = 0;
  stack[top++] = Entry{0, entry, kNoLeafSteps};
  // The positions whose records leafStepsAt gives.
  const size_t leafStepsFirst = childContents.size();
  const size_t leafStepsEnd = leafStepsFirst + leafStepsAt.size();
  // Child k takes the upper x, y and z halves by its bits 2, 1 and 0. The
  // line passes child nearFirst ^ away before child nearFirst ^ (away | b)
  // for any bits b, and away <= (away | b): children pushed by falling
  // `away` come off the stack near first.
  const int32_t nearFirst = (ray->direction.x < 0.0f ? 4 : 0) | (ray->direction.y < 0.0f ? 2 : 0) |
                            (ray->direction.z < 0.0f ? 1 : 0);
  bool hit = false;
  while (top > 0) {
    const Entry next = stack[--top];
    if (cutOff && next.entry > best * 1.0001f + margin) continue;
    if (next.leafSteps != kNoLeafSteps) {
      // The node's content box is the frame of its children's boxes.
      RefBoxSlabs children;
      if (children.Set(slabs, ContentBox(next.index))) {
        const LeafSteps& steps = leafSteps[next.leafSteps];
        float entries[8];
        const unsigned met = Meets<kWide>(children, steps.boxes, best * 1.0001f + margin, entries);
        for (unsigned away = FlipChildBits(met, nearFirst); away != 0;) {
          const int32_t k = TakeHighestBit(&away) ^ nearFirst;
          const int32_t child = Child(next.index, k);
          // Its record and its group boxes are read first when it is
          // entered.
          __builtin_prefetch(&nodes[child]);
          const uint32_t firstGroup = steps.firstGroup + steps.groupsFrom[k];
          const uint32_t lastGroup = steps.firstGroup + steps.groupsFrom[k + 1] - 1;
          FetchRun(&groupBoxes[firstGroup / kRefGroup], &groupBoxes[lastGroup / kRefGroup] + 1);
          stack[top++] = Entry{child, entries[k], kNoLeafSteps};
        }
        continue;
      }
    }
    const OctreeNode& node = nodes[next.index];
    if (measured > 0 && !node.IsLeaf() && static_cast<size_t>(next.index) < childContents.size()) {
      // What lies below a child lies within its content box, which is
      // within the child's own but for the rounding margin.
      float entries[8];
      const unsigned crossed = CrossesEight<kWide>(slabs, childContents[next.index], entries);
      for (unsigned away = FlipChildBits(crossed, nearFirst); away != 0;) {
        const int32_t k = TakeHighestBit(&away) ^ nearFirst;
        // Its record is read when it is taken off the stack, and below the
        // content boxes so are its children's, to find which to enter.
        const int32_t child = Child(next.index, k);
        uint32_t steps = kNoLeafSteps;
        if (static_cast<size_t>(child) >= leafStepsFirst &&
            static_cast<size_t>(child) < leafStepsEnd) {
          steps = leafStepsAt[static_cast<size_t>(child) - leafStepsFirst];
        }
        if (steps != kNoLeafSteps) {
          __builtin_prefetch(&leafSteps[steps]);
        } else {
          __builtin_prefetch(&nodes[child]);
          if (static_cast<size_t>(child) >= childContents.size() &&
              static_cast<size_t>(Child(child, 7)) < nodes.size()) {
            FetchRun(&nodes[Child(child, 0)], &nodes[Child(child, 7)] + 1);
          }
        }
        stack[top++] = Entry{child, entries[k], steps};
      }
      continue;
    }
    if (!node.IsLeaf()) {
      for (int32_t away = 7; away >= 0; --away) {
        const int32_t child = Child(next.index, away ^ nearFirst);
        float t = 0.0f;
        if (!nodes[child].LeavesHoldTriangles() || !slabs.Hits(nodes[child], &t)) continue;
        stack[top++] = Entry{child, t, kNoLeafSteps};
        // A leaf's group boxes are read first when it is entered.
        const OctreeNode& pushed = nodes[child];
        if (pushed.IsLeaf() && pushed.firstRef >= boxedRefsFrom && pushed.RefCount() > 0) {
          const uint32_t last = pushed.firstRef + pushed.RefCount() - 1;
          FetchRun(&groupBoxes[(pushed.firstRef - boxedRefsFrom) / (kRefGroup * kRefGroup)],
                   &groupBoxes[(last - boxedRefsFrom) / (kRefGroup * kRefGroup)] + 1);
        }
      }
      continue;
    }
    const uint32_t end = node.firstRef + node.RefCount();
    // A triangle whose box the line misses before the nearest hit so far
    // cannot be hit nearer, so its box, kept beside the reference, spares
    // fetching it. Its box is cut to the node's frame: a hit beyond that
    // lies inside another leaf, which lists the triangle too.
    RefBoxSlabs boxes;
    if (cutOff && node.firstRef >= boxedRefsFrom && boxes.Set(slabs, RefFrame(node))) {
      // Eight groups at a time: first their boxes, fetching the groups the
      // line meets so that their cache misses overlap; then, a group at a
      // time, its triangles' boxes, fetching the triangles of those the line
      // meets; then those triangles, nearest box first, until the rest lie
      // beyond a hit.
      const uint32_t firstGroup = (node.firstRef - boxedRefsFrom) / kRefGroup;
      const uint32_t lastGroup = (end - 1 - boxedRefsFrom) / kRefGroup;
      // The met triangles of the whole leaf are tested nearest first, so
      // that those beyond the first hit are never fetched. A leaf that meets
      // more than the list holds has it tested and emptied on the way.
      float reach = best * 1.0001f + margin;
      constexpr int kMostMet = 32;
      struct Met {
        uint32_t ref;
        float entry;
      } nearest[kMostMet];
      int count = 0;
      auto testNearest = [&]() {
        for (int k = 0; k < count && !(nearest[k].entry > best * 1.0001f + margin); ++k) {
          TestTriangle(ray, stamp, nearest[k].ref, maxDistance, slack, &best, &hit);
        }
        count = 0;
      };
      for (uint32_t record = firstGroup / kRefGroup; record <= lastGroup / kRefGroup; ++record) {
        // The lanes of this node's groups.
        const uint32_t recordFirst = record * kRefGroup;
        const uint32_t from = recordFirst > firstGroup ? 0 : firstGroup - recordFirst;
        const uint32_t to =
            lastGroup - recordFirst < kRefGroup ? lastGroup - recordFirst : kRefGroup - 1;
        const GroupRecord& groups = groupBoxes[record];
        float groupEntries[kRefGroup];
        unsigned groupsMet = Meets<kWide>(boxes, groups.boxes, reach, groupEntries) &
                             ((2u << to) - 1) & ~((1u << from) - 1);
        for (unsigned fetch = groupsMet; fetch != 0; fetch &= fetch - 1) {
          const unsigned k = static_cast<unsigned>(__builtin_ctz(fetch));
          __builtin_prefetch(&refGroups[recordFirst + k]);
          if ((groups.inRefs >> k) & 1u)
            __builtin_prefetch(&refs[boxedRefsFrom + (recordFirst + k) * kRefGroup]);
        }
        for (; groupsMet != 0; groupsMet &= groupsMet - 1) {
          const unsigned k = static_cast<unsigned>(__builtin_ctz(groupsMet));
          const uint32_t g = recordFirst + k;
          const RefGroup& group = refGroups[g];
          const bool inRefs = ((groups.inRefs >> k) & 1u) != 0;
          // The lanes in use: the node's run starts the group, and may end
          // within it.
          const uint32_t groupFirst = boxedRefsFrom + g * kRefGroup;
          const unsigned lanes =
              (1u << (end - groupFirst < kRefGroup ? end - groupFirst : kRefGroup)) - 1;
          float entries[kRefGroup];
          unsigned met = Meets<kWide>(boxes, group.boxes, reach, entries) & lanes;
          // Room kept for a whole group: counting its bits costs a call on
          // processors without a population count instruction.
          if (count > kMostMet - static_cast<int>(kRefGroup)) {
            testNearest();
            reach = best * 1.0001f + margin;
          }
          for (; met != 0; met &= met - 1) {
            const int lane = __builtin_ctz(met);
            // Fetched now, so that the misses of all met triangles overlap.
            const uint32_t ref =
                inRefs ? refs[groupFirst + lane] : groups.base + group.fromBase[lane];
            __builtin_prefetch(&gLevelTriangles[ref & (kMaxOctreeTriangles - 1)]);
            InsertNearestFirst(nearest, &count, Met{ref, entries[lane]});
          }
        }
      }
      testNearest();
      continue;
    }
    // The triangles a leaf lists lie scattered over the level's arrays:
    // fetch a few ahead so that their cache misses overlap.
    constexpr uint32_t kAhead = 6;
    for (uint32_t r = node.firstRef; r < end && r < node.firstRef + kAhead; ++r) {
      __builtin_prefetch(&gLevelTriangles[refs[r] & (kMaxOctreeTriangles - 1)]);
    }
    for (uint32_t r = node.firstRef; r < end; ++r) {
      if (r + kAhead < end) {
        __builtin_prefetch(&gLevelTriangles[refs[r + kAhead] & (kMaxOctreeTriangles - 1)]);
      }
      TestTriangle(ray, stamp, refs[r], maxDistance, slack, &best, &hit);
    }
  }
  *hitDistance = best;
  return hit;
}

#if defined(__x86_64__)
namespace {

// Whether the processor has AVX2's eight-float vectors, which test a node's
// eight children or a group's eight boxes at once.
bool HasWideVectors() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

}  // namespace

__attribute__((target("avx2"))) bool Octree::RayCastWide(const Ray* ray, float maxDistance,
                                                         float* hitDistance) const {
  return CastRay<true>(ray, maxDistance, hitDistance);
}
#endif

bool Octree::RayCastNarrow(const Ray* ray, float maxDistance, float* hitDistance) const {
  return CastRay<false>(ray, maxDistance, hitDistance);
}

bool Octree::RayCast(const Ray* ray, float maxDistance, float* hitDistance) const {
#if defined(__x86_64__)
  if (HasWideVectors()) return RayCastWide(ray, maxDistance, hitDistance);
#endif
  return RayCastNarrow(ray, maxDistance, hitDistance);
}

bool RayHitsBox(const Ray* ray, const Vector3& min, const Vector3& max) {
  float tNear = 0.0f;
  float tFar = kFarthest;
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
  return SegmentHits(ray, a, b, c, length, u, v, w, t);
}

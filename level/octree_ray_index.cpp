#include "level/octree_ray_index.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "level/level_data.h"

namespace {

// Plain comparisons, which compile to single instructions where fmin and
// fmax need a call.
float Least(float a, float b) { return b < a ? b : a; }
float Most(float a, float b) { return b > a ? b : a; }
float Least(float a, float b, float c) { return Least(Least(a, b), c); }
float Most(float a, float b, float c) { return Most(Most(a, b), c); }

void Grow(OctreeRayIndex::Box& box, const Vector3& low, const Vector3& high) {
  box.min = Vector3(Least(box.min.x, low.x), Least(box.min.y, low.y), Least(box.min.z, low.z));
  box.max = Vector3(Most(box.max.x, high.x), Most(box.max.y, high.y), Most(box.max.z, high.z));
}

void GrowByTriangles(OctreeRayIndex::Box& box, const Octree& tree, const OctreeNode& node,
                     const Vector3* positions, const LevelTriangle* triangles) {
  for (uint32_t r = node.firstRef; r < node.firstRef + node.RefCount(); ++r) {
    for (int32_t v : triangles[tree.Ref(r).triangle].vertex) {
      Grow(box, positions[v], positions[v]);
    }
  }
}

}  // namespace

void OctreeRayIndex::Measure(const Octree& tree, const Vector3* positions,
                             const LevelTriangle* triangles, bool leafRecords) {
  const int32_t levelCount = tree.levelCount_;
  const Octree::NodeArray& nodes = tree.nodes_;
  const int32_t deepest = levelCount < kContentLevels ? levelCount - 1 : kContentLevels - 1;
  const size_t measured = CompleteOctreeNodeCount(deepest + 1);
  const size_t deepestFirst = CompleteOctreeNodeCount(deepest);
  const float far = std::numeric_limits<float>::infinity();
  contents.assign(measured, Box{Vector3(far, far, far), Vector3(-far, -far, -far)});
  // What the leaves below the measured levels hold grows the box of their
  // ancestor on the deepest measured level.
  MeasureRefBoxes(tree, positions, triangles, deepest < levelCount - 1);
  const size_t leafLevelFirst = CompleteOctreeNodeCount(levelCount - 1);
  for (size_t i = measured; i < leafLevelFirst; ++i) {
    const OctreeNode& node = nodes[i];
    if (node.IsLeaf() && node.RefCount() > 0) {
      GrowByTriangles(contents[MeasuredAncestor(i)], tree, node, positions, triangles);
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
      GrowByTriangles(box, tree, node, positions, triangles);
    } else if (i < deepestFirst) {
      for (int32_t k = 0; k < 8; ++k) {
        const int32_t child = OctreeChild(static_cast<int32_t>(i), k);
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
      const Box& box = contents[OctreeChild(static_cast<int32_t>(i), k)];
      const float low[3] = {box.min.x, box.min.y, box.min.z};
      const float high[3] = {box.max.x, box.max.y, box.max.z};
      for (int axis = 0; axis < 3; ++axis) {
        block.low[axis][k] = low[axis];
        block.high[axis][k] = high[axis];
      }
    }
    childContents.push_back(block);
  }
  if (leafRecords) MeasureLeafSteps(tree);
  // The query reads the positions' boxes from childContents; only the
  // root's is wanted here.
  contents.resize(1);
  contents.shrink_to_fit();
}

size_t OctreeRayIndex::MeasuredAncestor(size_t index) const {
  while (index >= contents.size()) {
    index = static_cast<size_t>(OctreeParent(static_cast<int32_t>(index)));
  }
  return index;
}

namespace {

constexpr float kRefBoxSteps = OctreeRayIndex::kRefBoxSteps;

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
void MeasureGroupBox(const OctreeRayIndex::BoxSteps& group, uint32_t lanes,
                     OctreeRayIndex::BoxSteps& boxes, size_t lane) {
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

void OctreeRayIndex::MeasureRefBoxes(const Octree& tree, const Vector3* positions,
                                     const LevelTriangle* triangles, bool growAncestors) {
  const int32_t levelCount = tree.levelCount_;
  const Octree::NodeArray& nodes = tree.nodes_;
  const auto& refs = tree.refs_;
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
    const Box frame = RefFrame(node, *tree.root_);
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

void OctreeRayIndex::MeasureLeafSteps(const Octree& tree) {
  leafStepsAt.clear();
  leafSteps.clear();
  const int32_t depth = kContentLevels - 1;
  if (tree.levelCount_ <= kContentLevels || childContents.empty()) return;
  const Octree::NodeArray& nodes = tree.nodes_;
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
      usable = usable && step > 0.0f && step < std::numeric_limits<float>::max();
    }
    LeafSteps steps{};
    uint32_t groupEnd = 0;
    bool anyGroup = false;
    for (int32_t k = 0; k < 8 && usable; ++k) {
      steps.groupsFrom[k] = static_cast<uint8_t>(anyGroup ? groupEnd - steps.firstGroup : 0);
      const OctreeNode& child = nodes[OctreeChild(index, k)];
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
      const Box frame = RefFrame(child, *tree.root_);
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

size_t OctreeRayIndex::MemoryBytes() const {
  return contents.capacity() * sizeof(Box) + childContents.capacity() * sizeof(ChildContents) +
         refGroups.capacity() * sizeof(RefGroup) + groupBoxes.capacity() * sizeof(GroupRecord) +
         leafStepsAt.capacity() * sizeof(uint32_t) + leafSteps.capacity() * sizeof(LeafSteps);
}

void Octree::MeasureContents(const Vector3* positions, const LevelTriangle* triangles,
                             bool leafRecords) {
  if (root_ == nullptr) return;
  // Measured afresh each time: the zeroed arrays must grow into new room.
  auto index = std::make_unique<OctreeRayIndex>();
  index->Measure(*this, positions, triangles, leafRecords);
  rayIndex_ = std::move(index);
}

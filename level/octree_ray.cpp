#include "level/octree.h"

#include <cmath>
#include <cstdint>

#include "level/level_data.h"
#include "level/octree_ray_index.h"
#include "level/query_stamp.h"
#include "level/slab_test.h"
#include "math/vector3.h"

namespace {

constexpr uint32_t kRefGroup = OctreeRayIndex::kRefGroup;
constexpr uint32_t kNoLeafSteps = OctreeRayIndex::kNoLeafSteps;

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
  if (root_ == nullptr) return false;
  // Read and measured alike: the index is there once the root is.
  const OctreeRayIndex& index = *rayIndex_;
  const OctreeNode* const root = root_;
  const NodeArray& nodes = nodes_;
  const auto& refs = refs_;
  const auto& contents = index.contents;
  const auto& childContents = index.childContents;
  const auto& refGroups = index.refGroups;
  const auto& groupBoxes = index.groupBoxes;
  const auto& leafStepsAt = index.leafStepsAt;
  const auto& leafSteps = index.leafSteps;
  const uint32_t boxedRefsFrom = index.boxedRefsFrom;
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
      if (children.Set(slabs, index.ContentBox(next.index))) {
        const OctreeRayIndex::LeafSteps& steps = leafSteps[next.leafSteps];
        float entries[8];
        const unsigned met = Meets<kWide>(children, steps.boxes, best * 1.0001f + margin, entries);
        for (unsigned away = FlipChildBits(met, nearFirst); away != 0;) {
          const int32_t k = TakeHighestBit(&away) ^ nearFirst;
          const int32_t child = OctreeChild(next.index, k);
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
        const int32_t child = OctreeChild(next.index, k);
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
              static_cast<size_t>(OctreeChild(child, 7)) < nodes.size()) {
            FetchRun(&nodes[OctreeChild(child, 0)], &nodes[OctreeChild(child, 7)] + 1);
          }
        }
        stack[top++] = Entry{child, entries[k], steps};
      }
      continue;
    }
    if (!node.IsLeaf()) {
      for (int32_t away = 7; away >= 0; --away) {
        const int32_t child = OctreeChild(next.index, away ^ nearFirst);
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
    if (cutOff && node.firstRef >= boxedRefsFrom &&
        boxes.Set(slabs, OctreeRayIndex::RefFrame(node, *root))) {
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
        const OctreeRayIndex::GroupRecord& groups = groupBoxes[record];
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
          const OctreeRayIndex::RefGroup& group = refGroups[g];
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
  float entry = 0.0f;
  return RaySlabs(*ray).Hits(min, max, &entry);
}

bool SegmentHitsTriangle(const Ray* ray, const Vector3& a, const Vector3& b, const Vector3& c,
                         float length, float* u, float* v, float* w, float* t) {
  return SegmentHits(ray, a, b, c, length, u, v, w, t);
}

#pragma once
// The slab tests of the ray query: a ray against one box, against the eight
// children's content boxes of a node, and against a group's eight boxes in
// steps of a frame; each of the two eight-box tests in two vectors of four
// floats (SSE) and, on processors with AVX2, in one of eight. Private to
// the octree's ray query.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "level/octree.h"
#include "level/octree_ray_index.h"
#include "math/vector3.h"

// The far end of a slab test before any slab narrows it: the largest float.
constexpr float kFarthest = std::numeric_limits<float>::max();

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

// The slab test, with the inverse direction worked out once per ray:
// whether the ray from its origin on crosses a box (all RayHitsBox asks),
// and the distance along it at which the box is entered.
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

  // A NaN bound is passed over, the other bound of its slab still counts;
  // a parallel slab, when there may be one, passes only an origin within it.
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
      // Where one is NaN, t1 counts as the entry and t2 as the exit.
      const float enter = t1 > t2 ? t2 : t1;
      const float leave = t1 > t2 ? t1 : t2;
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
  unsigned CrossesEight(const OctreeRayIndex::ChildContents& boxes, float entries[8]) const {
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
  __attribute__((target("avx2"))) unsigned CrossesEightWide(
      const OctreeRayIndex::ChildContents& boxes, float entries[8]) const {
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
  bool Set(const RaySlabs& slabs, const OctreeRayIndex::Box& frame) {
    const float low[3] = {frame.min.x, frame.min.y, frame.min.z};
    const float high[3] = {frame.max.x, frame.max.y, frame.max.z};
    for (int axis = 0; axis < 3; ++axis) {
      const float step = (high[axis] - low[axis]) * OctreeRayIndex::kPerRefBoxStep;
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
  unsigned Meets(const OctreeRayIndex::BoxSteps& group, float reach, float entries[8]) const {
    static_assert(OctreeRayIndex::kRefGroup == 8, "two vectors a group");
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
  __attribute__((target("avx2"))) unsigned MeetsWide(const OctreeRayIndex::BoxSteps& group,
                                                     float reach, float entries[8]) const {
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

// The two box tests of the ray query, in eight lanes where the processor
// has them and in two halves of four where it does not.
template <bool kWide>
__attribute__((always_inline)) inline unsigned CrossesEight(
    const RaySlabs& slabs, const OctreeRayIndex::ChildContents& boxes, float entries[8]) {
#if defined(__x86_64__)
  if constexpr (kWide) return slabs.CrossesEightWide(boxes, entries);
#endif
  return slabs.CrossesEight(boxes, entries);
}

template <bool kWide>
__attribute__((always_inline)) inline unsigned Meets(const RefBoxSlabs& boxes,
                                                     const OctreeRayIndex::BoxSteps& group,
                                                     float reach, float entries[8]) {
#if defined(__x86_64__)
  if constexpr (kWide) return boxes.MeetsWide(group, reach, entries);
#endif
  return boxes.Meets(group, reach, entries);
}

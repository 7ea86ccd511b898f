#pragma once
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "math/vector3.h"

// Distance across the ground: the path graph lies in the plane y = 0.
inline float GroundDistance(const Vector3& a, const Vector3& b) {
  return std::hypot(a.x - b.x, a.z - b.z);
}

// The node of a path graph nearest to `p` across the ground, or -1 when the
// graph has none; `distance` gets how far it is (infinity for none). Works
// on the game's nodes and on the level compiler's alike.
template <class Node>
int32_t NearestPathNode(const std::vector<Node>& nodes, const Vector3& p, float* distance) {
  int32_t nearest = -1;
  float best = std::numeric_limits<float>::infinity();
  for (size_t i = 0; i < nodes.size(); ++i) {
    float d = GroundDistance(nodes[i].position, p);
    if (d < best) {
      best = d;
      nearest = static_cast<int32_t>(i);
    }
  }
  if (distance) *distance = best;
  return nearest;
}

// A drone placed farther than this from every path node has a long way to
// fly before it patrols; the level compiler warns of it.
constexpr float kFarFromPathGraph = 150.0f;

#pragma once
#include "tools/content/mesh_builder.h"

// Where each part of the ship finds its paint in "models/ship.bmp", shared by
// the mesh (texture coordinates) and the painter (what to draw where).
namespace ship_layout {

// A model coordinate range laid across 0..1 of a texture rectangle.
struct Span {
  float low, high;
  float ToUnit(float value) const { return (value - low) / (high - low); }
  float FromUnit(float unit) const { return low + (high - low) * unit; }
};

constexpr int kTextureSize = 512;

// Hull: seen from above (top), from the side (side) and from below (bottom);
// the nose (-z) is at the top of each rectangle.
constexpr UvRect kHullTop{0.0f, 0.5f, 0.5f, 1.0f};
constexpr UvRect kHullBottom{0.5f, 0.5f, 0.75f, 1.0f};
constexpr UvRect kHullSide{0.75f, 0.5f, 1.0f, 1.0f};
constexpr Span kHullX{-1.3f, 1.3f};
constexpr Span kHullY{-0.3f, 0.6f};
constexpr Span kHullZ{2.8f, -2.8f};  // reversed: the nose at t = 1

// Side pods and engine nacelles: along z across, around the tube upwards.
constexpr UvRect kPod{0.0f, 0.25f, 0.5f, 0.5f};
constexpr Span kPodZ{-1.7f, 2.6f};
constexpr UvRect kNacelle{0.5f, 0.25f, 1.0f, 0.5f};
constexpr Span kNacelleZ{0.6f, 2.9f};

// Canopy: across the bubble, along z.
constexpr UvRect kCanopy{0.0f, 0.0f, 0.25f, 0.25f};
constexpr Span kCanopyZ{1.0f, -1.45f};

// Engine exhaust: a round glow centred in its rectangle.
constexpr UvRect kGlow{0.25f, 0.0f, 0.5f, 0.25f};

// Fins and wings: along z across, from root (0) to tip (1) upwards.
constexpr UvRect kFin{0.5f, 0.0f, 1.0f, 0.25f};
constexpr Span kFinZ{0.4f, 3.0f};

}  // namespace ship_layout

namespace ship_layout {

// The hull's cross sections from nose to tail: position along z, half
// width, height of the deck above the chine line, depth of the keel below.
struct HullSection {
  float z, halfWidth, deck, keel;
};
constexpr HullSection kHullSections[] = {
    {-2.75f, 0.03f, 0.04f, 0.03f}, {-2.1f, 0.42f, 0.19f, 0.1f},  {-1.2f, 0.82f, 0.37f, 0.18f},
    {-0.2f, 1.06f, 0.52f, 0.25f},  {1.0f, 1.18f, 0.58f, 0.28f},  {2.1f, 1.12f, 0.55f, 0.27f},
    {2.55f, 0.95f, 0.45f, 0.21f},
};

// The section at any z, interpolated between the table's.
inline HullSection HullAt(float z) {
  constexpr int count = sizeof kHullSections / sizeof kHullSections[0];
  if (z <= kHullSections[0].z) return kHullSections[0];
  for (int i = 1; i < count; ++i) {
    const HullSection& a = kHullSections[i - 1];
    const HullSection& b = kHullSections[i];
    if (z <= b.z) {
      float f = (z - a.z) / (b.z - a.z);
      return {z, a.halfWidth + (b.halfWidth - a.halfWidth) * f, a.deck + (b.deck - a.deck) * f,
              a.keel + (b.keel - a.keel) * f};
    }
  }
  return kHullSections[count - 1];
}

}  // namespace ship_layout

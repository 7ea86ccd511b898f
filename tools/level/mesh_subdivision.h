#pragma once
#include <cstddef>
#include <functional>

#include "tools/level/level_mesh.h"

// Light at a point with a normal, 0 to about 1: what subdivision follows.
using LightProbe = std::function<float(const Vector3& point, const Vector3& normal)>;

struct SubdivisionOptions {
  float minEdge = 2.5f;    // never halve an edge shorter than twice this
  float maxEdge = 48.0f;   // always halve an edge longer than this
  float threshold = 0.2f;  // light off the straight line between the ends
  int maxRounds = 8;
};

// Halves triangle edges where the probed light along them or inside the
// triangle departs from what the corners' light would interpolate to, so
// that a per-vertex colour can show a shadow a big triangle would hide.
// Edges are chosen by position, so neighbouring triangles split a shared
// edge alike and no cracks open. New vertices interpolate position, normal
// and texture coordinates; mesh.colours is cleared. Returns the rounds run.
// `probe` is called from several threads.
int SubdivideForLight(LevelMesh& mesh, const LightProbe& probe, const SubdivisionOptions& options);

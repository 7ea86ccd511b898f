#pragma once
#include <cstddef>
#include <string>

#include "tools/level/level_mesh.h"

// Sunlight and sky light baked into the level's vertex colours.
//
// The game lights its level with one fixed light shining from below
// (direction (0.5, -1, 0.5), ambient 0.05, diffuse 0.3, over OpenGL's
// global ambient of 0.2), with the vertex colour as the material colour and
// no clamp before lighting. A face therefore shows its texture at
// colour x (0.25 + 0.3 x max(0, n . l)); the bake divides the light it wants
// a vertex to show by that factor, so a sunlit upward face is drawn at about
// its texture's full brightness.
struct BakeOptions {
  Vector3 towardSun{0.6f, 0.72f, -0.3f};  // direction from the ground to the sun
  Colour sun{0.76f, 0.72f, 0.62f, 1.0f};   // light of the sun on a face square to it
  Colour sky{0.45f, 0.48f, 0.53f, 1.0f};   // light of the whole open sky
  // Light bounced off the level's own surfaces, from the part of the
  // hemisphere they hide: what keeps a wall in shadow from going black.
  Colour bounce{0.30f, 0.29f, 0.26f, 1.0f};
  int skyRays = 64;                         // hemisphere rays per vertex
  // Subdivision: edges where the sunlight changes along them are halved
  // until they are this short; longer edges are always halved.
  bool subdivide = true;
  float minEdge = 4.0f;
  float maxEdge = 256.0f;
  int maxRounds = 8;
};

struct BakeReport {
  size_t trianglesBefore = 0, trianglesAfter = 0;
  size_t verticesBefore = 0, verticesAfter = 0;
  size_t rays = 0;
  double seconds = 0.0;
};

// What a face of normal `n` shows of its vertex colour under the world's
// light: colour x WorldLightResponse(n).
float WorldLightResponse(const Vector3& n);

// Subdivides where needed and fills mesh.colours. The mesh must pass
// CheckMesh (every corner names a vertex). False with a reason when the ray
// scene cannot be built.
bool BakeLight(LevelMesh& mesh, const BakeOptions& options, BakeReport& report,
               std::string& error);

#pragma once
#include <string>

#include "tools/level/level_mesh.h"
#include "tools/level/level_source.h"
#include "tools/level/octree_builder.h"

struct LevelBuildReport {
  size_t triangles = 0;
  size_t degenerateSkipped = 0;
  Vector3 boundsMin{0, 0, 0};  // of the triangles and spawn points
  Vector3 boundsMax{0, 0, 0};
  Vector3 rootMin{0, 0, 0};
  Vector3 rootMax{0, 0, 0};
  OctreeBuildStats octree;
};

// How far from the origin a level's vertices, spawn points and path nodes
// may lie: 2^24, the last whole number a float holds exactly. Beyond it
// neighbouring floats are 2 units apart or more, too coarse for a ship of
// radius 3 to move and collide smoothly; from about 1e9 on, the game's
// triangle planes no longer fit in a float at all.
constexpr float kMaxLevelCoordinate = 16777216.0f;

// The checks of BuildLevel on the mesh as a whole: materials, vertices,
// spawn points and path nodes at finite positions within
// kMaxLevelCoordinate, corners that name vertices the mesh has. False with a
// reason. Run it before anything reads the mesh by its indices.
bool CheckMesh(const LevelMesh& mesh, std::string& error);

// Checks the mesh against what the level format and the game can hold,
// drops triangles too thin to have a plane, groups the triangles by
// material and indexes them with the octree. False with a reason for a mesh
// the game cannot use: no triangles, more than six materials, a material
// name over 66 characters, a coordinate that is not a finite number or lies
// beyond kMaxLevelCoordinate, an index outside its table.
bool BuildLevel(const LevelMesh& mesh, const OctreeBuildOptions& options, LevelSource& out,
                LevelBuildReport& report, std::string& error);

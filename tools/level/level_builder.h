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

// The checks of BuildLevel on the mesh as a whole: materials, vertices that
// are finite numbers, corners that name vertices the mesh has. False with a
// reason. Run it before anything reads the mesh by its indices.
bool CheckMesh(const LevelMesh& mesh, std::string& error);

// Checks the mesh against what the level format and the game can hold,
// drops triangles too thin to have a plane, groups the triangles by
// material and indexes them with the octree. False with a reason for a mesh
// the game cannot use: no triangles, more than six materials, a material
// name over 66 characters, a coordinate that is not a finite number, an
// index outside its table.
bool BuildLevel(const LevelMesh& mesh, const OctreeBuildOptions& options, LevelSource& out,
                LevelBuildReport& report, std::string& error);

#pragma once
#include "tools/level/level_mesh.h"

enum class UpAxis { kY, kZ };

// Brings an export to the game's frame: a Z-up mesh is turned so its z
// becomes the game's y (x stays, y becomes -z: a rotation, so windings
// keep their sides), then everything is scaled about the origin by `scale`.
// Positions, normals, spawn points and path nodes all follow.
void TransformMesh(LevelMesh& mesh, UpAxis up, float scale);

// The box of the mesh's vertices that triangles use; false when there is none.
bool MeshBounds(const LevelMesh& mesh, Vector3& lo, Vector3& hi);

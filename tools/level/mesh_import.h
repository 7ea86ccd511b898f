#pragma once
#include <string>

#include "tools/level/level_mesh.h"

// Reads a mesh file (Wavefront OBJ, glTF and the other formats the importer
// knows) into a LevelMesh:
// - objects whose name begins with "spawn" are spawn points, one per object,
//   at the centre of their geometry's bounds (or at their origin when they
//   have none); they are ordered by name, and the first is where the ship
//   starts;
// - objects whose name begins with "path" make the path graph: their
//   vertices are the path nodes (equal positions are one node, across
//   objects), their line segments and triangle edges the links;
// - every other triangle is level geometry, its material name the level
//   material name. Texture coordinates missing from the file are made from
//   world positions (one repeat per 40 units).
// Names are compared without regard to case. False with a reason when the
// file cannot be read.
bool ImportMesh(const std::string& path, LevelMesh& mesh, std::string& error);

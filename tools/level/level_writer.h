#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/level/level_source.h"

// Lays a level out in the level file format, the exact inverse of the
// game's reader. False with a reason when the parts do not agree with each
// other (a group per material name, the same number of positions, normals
// and texture coordinates); the values themselves are written as given.
bool WriteLevel(const LevelSource& level, std::vector<uint8_t>& bytes, std::string& error);

bool WriteLevelFile(const std::string& path, const LevelSource& level, std::string& error);

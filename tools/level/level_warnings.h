#pragma once
#include <string>
#include <vector>

#include "tools/level/level_builder.h"

// What an author should hear about a level that compiled: each a sentence
// for stderr. `output` is the level file written (textures are looked for
// in "textures/" beside it); `options` tell whether levelc chose the octree
// depth itself, and so which option cures crowded leaves.
std::vector<std::string> LevelWarnings(const LevelSource& level, const LevelBuildReport& report,
                                       const OctreeBuildOptions& options,
                                       const std::string& output);

// The ship is a sphere of this radius; a level is judged against it.
constexpr float kShipRadius = 3.0f;
// Levels narrower or wider than these (largest extent) draw a warning.
constexpr float kSmallestLevel = 60.0f;
constexpr float kLargestLevel = 60000.0f;
// Leaves holding this many references on average slow every query.
constexpr double kCrowdedLeaf = 100.0;

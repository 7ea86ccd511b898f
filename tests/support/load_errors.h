#pragma once
#include <string>

class World;

// The reasons the game's loaders give, read here only, for the messages of
// failed checks.
std::string AssetLoadError();  // the latest texture, bitmap or model load
std::string FontLoadError();   // the latest font build
std::string LevelLoadError(const World& world);

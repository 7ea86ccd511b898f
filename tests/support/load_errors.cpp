#include "tests/support/load_errors.h"

#include "app/fonts.h"
#include "assets/texture.h"
#include "world/world.h"

std::string AssetLoadError() { return LastAssetError(); }
std::string FontLoadError() { return LastFontError(); }
std::string LevelLoadError(const World& world) { return world.LoadError(); }

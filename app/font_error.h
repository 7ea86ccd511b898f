#pragma once
#include <string>

// Records why the latest font build failed, for LastFontError().
void SetFontError(const std::string& error);

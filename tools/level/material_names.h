#pragma once
#include <algorithm>
#include <cctype>
#include <string>

// The game's rule (Game::LoadLevelTextures): a material gets
// "textures/<name>.bmp" unless its name begins with "path" or a digit.
inline bool MaterialHasTexture(const std::string& name) {
  if (name.compare(0, 4, "path") == 0) return false;
  return name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]));
}

// A name that is safe and portable as a file name: letters, digits, "_",
// "-" and "." only, not empty and not starting with ".".
inline bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
  });
}

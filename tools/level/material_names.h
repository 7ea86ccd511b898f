#pragma once
#include <algorithm>
#include <cctype>
#include <string>

#include "level/level_data.h"  // MaterialHasTexture, the game's rule

// A name that is safe and portable as a file name: letters, digits, "_",
// "-" and "." only, not empty and not starting with ".".
inline bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
  });
}

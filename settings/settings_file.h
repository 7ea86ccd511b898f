#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"

// The file the player's settings live in, in TOML:
//
//   [video]     width, height, full_screen
//   [sound]     effects_volume, music, music_volume
//   [controls]  mouse_sensitivity, invert_look, thrust, back, strafe_left,
//               strafe_right, fire (key names, as "W" or "Mouse Left")
//   [player]    name, ship_colour, round_seconds, drones
//
// Nothing in it is trusted: each value that is missing, of the wrong type
// or out of range stays at its default and the rest are used; keys the game
// does not know are kept when it writes the file again.
class SettingsFile {
 public:
  // $XDG_CONFIG_HOME/driftwing/settings.toml, or ~/.config/driftwing/
  // settings.toml when that variable is unset or empty; "" when HOME is
  // not set either.
  static std::string DefaultPath();

  SettingsFile() = default;
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  // Reads the file into `settings`, which starts from the defaults. Each
  // problem adds one line to `problems`: "PATH:LINE: what was wrong and
  // what is used instead". No file is no problem.
  void Load(Settings& settings, std::vector<std::string>& problems);
  // Writes `settings`, with every key the file held that the game does not
  // know, whole or not at all. A file Load found damaged is first kept
  // beside it as PATH.bad, once. False, with one line saying why, when the
  // file or its folder cannot be written: the old file is then as it was.
  bool Save(const Settings& settings, std::string& error);

  const std::string& Path() const { return path_; }
  std::string BadCopyPath() const { return path_ + ".bad"; }
  // Whether Load found problems that the next Save keeps a copy of.
  bool NeedsBadCopy() const { return state_ != State::kClean; }

 private:
  enum class State { kClean, kDamaged, kUnreadable };

  std::string path_;
  std::string text_;             // the last TOML read or written, for its unknown keys
  std::vector<uint8_t> damaged_;  // a damaged file's bytes, for its .bad copy
  State state_ = State::kClean;
};

// The largest settings file read; anything bigger is not one.
constexpr size_t kMaxSettingsFileBytes = 1 << 20;

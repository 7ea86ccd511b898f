#pragma once
#include <string>

#include "app/options.h"

// The game reads its data through paths relative to the working directory
// ("map.wrl", "models/", ...). A folder holds the game's data when it has
// "models/ship.p3d".
bool HoldsGameData(const std::string& dir);

// Where to read the data from, in this order:
//  1. `explicitDir` (--data DIR) when given: the player asked for it, so it
//     is the only place looked at;
//  2. the working directory ("" in `dir`: stay where we are);
//  3. the installed data, "../share/driftwing" beside the folder of
//     `executablePath`.
// On failure `error` is one line naming every place looked at.
struct DataDirChoice {
  bool found = false;
  std::string dir;
  std::string error;
};
DataDirChoice ChooseDataDir(const std::string& explicitDir, const std::string& executablePath);

// Chooses the data folder and makes it the working directory. File names the
// player gave on the command line (demos) are made absolute first, so they
// still mean what they meant where the game was started. False, with the
// one line in `error`, on failure.
bool EnterDataDir(Options& options, std::string& error);

#pragma once
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_file.h"

// The player's settings for one run: the file, the values it holds, and
// gSettings, the values in effect (the file's with the command line's on
// top). The command line's values are never written: a change the player
// accepts goes into both, and only what changed is taken from the page.
struct SettingsStore {
  SettingsFile file;
  Settings saved;       // what the file holds, or will once written
  bool writes = false;  // true once loaded; false while a demo replays, whose clicks
                        // change nothing on disk
};

extern SettingsStore gSettingsStore;

// Reads `path` (the default place when empty) into the store and gSettings;
// each problem goes into `problems`, one line each.
void LoadSettings(const std::string& path, std::vector<std::string>& problems);

// Takes into gSettings, and into the file, every value of `section` (as
// the file names it) that `pending` changes. The file is written only when
// something changed; when it cannot be, one line says why and the new
// values still hold for this run. True when anything changed.
bool AcceptSettings(const char* section, const Settings& pending);

#include "settings/settings_store.h"

#include <cstdio>
#include <cstring>

#include "settings/settings_fields.h"

SettingsStore gSettingsStore;

void LoadSettings(const std::string& path, std::vector<std::string>& problems) {
  gSettingsStore.file = SettingsFile(path.empty() ? SettingsFile::DefaultPath() : path);
  gSettingsStore.file.Load(gSettingsStore.saved, problems);
  gSettings = gSettingsStore.saved;
  gSettingsStore.writes = true;
}

bool AcceptSettings(const char* section, const Settings& pending) {
  bool changed = false;
  for (const SettingField& field : SettingFields()) {
    if (std::strcmp(field.section, section) != 0 || SameValue(field, pending, gSettings)) continue;
    CopyValue(field, pending, gSettings);
    CopyValue(field, pending, gSettingsStore.saved);
    changed = true;
  }
  if (!changed || !gSettingsStore.writes) return changed;
  std::string error;
  if (!gSettingsStore.file.Save(gSettingsStore.saved, error)) {
    std::fprintf(stderr, "driftwing: the settings hold for this run only: %s\n", error.c_str());
  }
  return true;
}

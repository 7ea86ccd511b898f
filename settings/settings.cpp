#include "settings/settings.h"

Settings gSettings;

bool Settings::operator==(const Settings& o) const {
  return width == o.width && height == o.height && fullScreen == o.fullScreen &&
         effectsVolume == o.effectsVolume && music == o.music && musicVolume == o.musicVolume &&
         mouseSensitivity == o.mouseSensitivity && invertLook == o.invertLook && keys == o.keys &&
         name == o.name && shipColour == o.shipColour && roundSeconds == o.roundSeconds &&
         drones == o.drones;
}

bool IsPrintableName(const std::string& name, size_t maxLength) {
  if (name.empty() || name.size() > maxLength) return false;
  for (char c : name) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

void CopyPlaySettings(const Settings& from, Settings& to) {
  to.mouseSensitivity = from.mouseSensitivity;
  to.invertLook = from.invertLook;
  to.keys = from.keys;
  to.roundSeconds = from.roundSeconds;
  to.drones = from.drones;
}

void BindKey(Settings& settings, int action, uint16_t code) {
  if (action < 0 || action >= kBoundActionCount) return;
  for (uint16_t& key : settings.keys) {
    if (key == code) key = settings.keys[action];
  }
  settings.keys[action] = code;
}

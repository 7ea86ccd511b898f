#include "settings/settings_fields.h"

namespace {

constexpr SettingField Number(const char* section, const char* key, int Settings::*field, int lo,
                              int hi) {
  return {section, key, FieldKind::kNumber, field, nullptr, nullptr, 0, lo, hi};
}
constexpr SettingField Switch(const char* section, const char* key, bool Settings::*field) {
  return {section, key, FieldKind::kSwitch, nullptr, field, nullptr, 0, 0, 1};
}
constexpr SettingField Key(const char* key, int action) {
  return {"controls", key, FieldKind::kKey, nullptr, nullptr, nullptr, action, 0, 0};
}

constexpr SettingField kFields[] = {
    Number("video", "width", &Settings::width, kMinWidth, kMaxSide),
    Number("video", "height", &Settings::height, kMinHeight, kMaxSide),
    Switch("video", "full_screen", &Settings::fullScreen),
    Number("sound", "effects_volume", &Settings::effectsVolume, 0, kMaxVolume),
    Switch("sound", "music", &Settings::music),
    Number("sound", "music_volume", &Settings::musicVolume, 0, kMaxVolume),
    Number("controls", "mouse_sensitivity", &Settings::mouseSensitivity, kMinSensitivity,
           kMaxSensitivity),
    Switch("controls", "invert_look", &Settings::invertLook),
    Key("thrust", kBindThrust),
    Key("back", kBindBack),
    Key("strafe_left", kBindStrafeLeft),
    Key("strafe_right", kBindStrafeRight),
    Key("fire", kBindFire),
    {"player", "name", FieldKind::kName, nullptr, nullptr, &Settings::name, 0, 1,
     static_cast<int>(kMaxNameLength)},
    Number("player", "ship_colour", &Settings::shipColour, 0, kShipColours - 1),
    Number("player", "round_seconds", &Settings::roundSeconds, 1, kMaxRoundSeconds),
    Switch("player", "drones", &Settings::drones),
};

}  // namespace

const SettingField* SettingFieldsBegin() { return std::begin(kFields); }
const SettingField* SettingFieldsEnd() { return std::end(kFields); }

std::string FieldName(const SettingField& field) {
  return std::string(field.section) + "." + field.key;
}

bool SameValue(const SettingField& field, const Settings& a, const Settings& b) {
  switch (field.kind) {
    case FieldKind::kNumber:
      return a.*field.number == b.*field.number;
    case FieldKind::kSwitch:
      return a.*field.flag == b.*field.flag;
    case FieldKind::kName:
      return a.*field.text == b.*field.text;
    case FieldKind::kKey:
      return a.keys[field.action] == b.keys[field.action];
  }
  return true;
}

void CopyValue(const SettingField& field, const Settings& from, Settings& to) {
  switch (field.kind) {
    case FieldKind::kNumber:
      to.*field.number = from.*field.number;
      break;
    case FieldKind::kSwitch:
      to.*field.flag = from.*field.flag;
      break;
    case FieldKind::kName:
      to.*field.text = from.*field.text;
      break;
    case FieldKind::kKey:
      to.keys[field.action] = from.keys[field.action];
      break;
  }
}

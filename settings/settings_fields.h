#pragma once
#include <string>

#include "settings/settings.h"

// Every setting as the file names it: its section, its key, what kind of
// value it holds and its limits. The file's reader and writer, and the
// menu's Accept, go through this one list.
enum class FieldKind { kNumber, kSwitch, kName, kKey };

struct SettingField {
  const char* section;
  const char* key;
  FieldKind kind;
  int Settings::*number;         // kNumber
  bool Settings::*flag;          // kSwitch
  std::string Settings::*text;   // kName
  int action;                    // kKey: the index in Settings::keys
  int lo;                        // kNumber: the smallest value allowed
  int hi;                        // kNumber: the largest
};

// The fields, section by section.
const SettingField* SettingFieldsBegin();
const SettingField* SettingFieldsEnd();
struct SettingFieldList {
  const SettingField* begin() const { return SettingFieldsBegin(); }
  const SettingField* end() const { return SettingFieldsEnd(); }
};
inline SettingFieldList SettingFields() { return {}; }

// The sections, in the file's order.
constexpr const char* kSettingSections[] = {"video", "sound", "controls", "player"};

// "section.key"
std::string FieldName(const SettingField& field);
bool SameValue(const SettingField& field, const Settings& a, const Settings& b);
void CopyValue(const SettingField& field, const Settings& from, Settings& to);

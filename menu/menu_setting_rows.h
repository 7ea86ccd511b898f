#pragma once
#include <string>
#include <vector>

#include "menu/menu_item.h"
#include "settings/settings.h"

// The rows of the settings pages: a setting's name, a button, with its value
// in a column to the right. Each changes a value of a Settings the page
// edits (the pending one, taken on "Accept Changes") or a string of its own.
class MenuSettingRow : public MenuButton {
 public:
  MenuSettingRow(const char* name, float x, float y, float valueX);
  void Draw() override;
  virtual std::string ValueText() const = 0;

  float valueX;
};

// A number stepped by a click: the left button up, the right one down,
// wrapping round; through `choices` when given, else from `lo` to `hi`.
class MenuStepper final : public MenuSettingRow {
 public:
  using Format = std::string (*)(int);
  using Stepped = void (*)(int);
  MenuStepper(const char* name, float x, float y, float valueX, Settings* settings,
              int Settings::*field, int lo, int hi, std::vector<int> choices, Format format,
              Stepped stepped);
  bool Act(const MenuMouseState& mouse) override;
  std::string ValueText() const override;

 private:
  Settings* settings_;
  int Settings::*field_;
  int lo_, hi_;
  std::vector<int> choices_;
  Format format_;
  Stepped stepped_;  // told each new value, as the sound page plays a sample
};

// On or off, flipped by a click.
class MenuToggle final : public MenuSettingRow {
 public:
  MenuToggle(const char* name, float x, float y, float valueX, Settings* settings,
             bool Settings::*field);
  bool Act(const MenuMouseState& mouse) override;
  std::string ValueText() const override;

 private:
  Settings* settings_;
  bool Settings::*field_;
};

// A key binding: a click waits for a key or mouse button, which is then
// bound (taken from any action that had it, which gets this one's old
// key). Escape is the menu's own: it stops the wait and binds nothing.
class MenuKeyBinding final : public MenuSettingRow {
 public:
  MenuKeyBinding(const char* name, float x, float y, float valueX, Settings* settings,
                 int action);
  bool Act(const MenuMouseState& mouse) override;
  std::string ValueText() const override;
  bool Focused() const override { return waiting_; }
  bool TakeEvent(const SDL_Event& event) override;
  bool LetsPageClick() const override { return false; }

 private:
  Settings* settings_;
  int action_;
  bool waiting_ = false;
};

// A line of text typed in: a click starts typing, printable ASCII up to
// `maxLength` characters, Backspace takes the last back; Return or a click
// elsewhere ends it, Escape puts back what was there.
class MenuTextField final : public MenuSettingRow {
 public:
  MenuTextField(const char* name, float x, float y, float valueX, std::string* target,
                size_t maxLength);
  bool Act(const MenuMouseState& mouse) override;
  std::string ValueText() const override;
  bool Focused() const override { return editing_; }
  bool TakeEvent(const SDL_Event& event) override;

 private:
  std::string* target_;
  size_t maxLength_;
  bool editing_ = false;
  std::string before_;
};

#include "menu/menu_setting_rows.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>

#include "settings/key_names.h"
#include "text/fonts.h"

namespace {

// The settings pages' letters: those of the help page's lines.
constexpr float kScaleX = 0.06f;
constexpr float kScaleY = 0.06f;
constexpr float kScaleZ = 0.0375f;

}  // namespace

MenuSettingRow::MenuSettingRow(const char* name, float x, float y, float value)
    : MenuButton(name, x, y, kScaleX, kScaleY, kScaleZ, nullptr), valueX(value) {}

void MenuSettingRow::Draw() {
  if (!visible) return;
  MenuButton::Draw();
  glPushAttrib(GL_CURRENT_BIT);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(valueX, boxBottom, -1.0f);
  glScalef(scaleX, scaleY, scaleZ);
  glColor3f(1.0f, 1.0f, 1.0f);
  PrintText(gMenuFont, "%s", ValueText().c_str());
  glPopMatrix();
  glPopAttrib();
}

MenuStepper::MenuStepper(const char* name, float x, float y, float column, Settings* settings,
                         int Settings::*field, int lo, int hi, std::vector<int> choices,
                         Format format, Stepped stepped)
    : MenuSettingRow(name, x, y, column),
      settings_(settings),
      field_(field),
      lo_(lo),
      hi_(hi),
      choices_(std::move(choices)),
      format_(format),
      stepped_(stepped) {}

bool MenuStepper::Act(const MenuMouseState& mouse) {
  const bool down = (mouse.buttons & kMenuRightButton) != 0 && !(mouse.buttons & kMenuLeftButton);
  int& value = settings_->*field_;
  if (!choices_.empty()) {
    // A value between the choices (from the file) steps to its neighbour.
    auto next = std::upper_bound(choices_.begin(), choices_.end(), value);
    auto previous = std::lower_bound(choices_.begin(), choices_.end(), value);
    if (down) {
      value = previous == choices_.begin() ? choices_.back() : *(previous - 1);
    } else {
      value = next == choices_.end() ? choices_.front() : *next;
    }
  } else if (down) {
    value = value <= lo_ ? hi_ : value - 1;
  } else {
    value = value >= hi_ ? lo_ : value + 1;
  }
  if (stepped_) stepped_(value);
  return true;
}

std::string MenuStepper::ValueText() const {
  const int value = settings_->*field_;
  return format_ ? format_(value) : std::to_string(value);
}

MenuToggle::MenuToggle(const char* name, float x, float y, float column, Settings* settings,
                       bool Settings::*field)
    : MenuSettingRow(name, x, y, column), settings_(settings), field_(field) {}

bool MenuToggle::Act(const MenuMouseState&) {
  settings_->*field_ = !(settings_->*field_);
  return true;
}

std::string MenuToggle::ValueText() const { return settings_->*field_ ? "On" : "Off"; }

MenuKeyBinding::MenuKeyBinding(const char* name, float x, float y, float column,
                               Settings* settings, int action)
    : MenuSettingRow(name, x, y, column), settings_(settings), action_(action) {}

bool MenuKeyBinding::Act(const MenuMouseState&) {
  waiting_ = true;
  return true;
}

std::string MenuKeyBinding::ValueText() const {
  return waiting_ ? "press a key" : BindingName(settings_->keys[action_]);
}

bool MenuKeyBinding::TakeEvent(const SDL_Event& event) {
  if (!waiting_) return false;
  uint16_t code = 0;
  if (event.type == SDL_KEYDOWN) {
    code = static_cast<uint16_t>(event.key.keysym.sym);
  } else if (event.type == SDL_MOUSEBUTTONDOWN) {
    switch (event.button.button) {
      case SDL_BUTTON_LEFT:
        code = kBindMouseLeft;
        break;
      case SDL_BUTTON_RIGHT:
        code = kBindMouseRight;
        break;
      case SDL_BUTTON_MIDDLE:
        code = kBindMouseMiddle;
        break;
      default:
        return true;  // a wheel's turn binds nothing
    }
  } else {
    return event.type == SDL_KEYUP || event.type == SDL_MOUSEBUTTONUP;
  }
  waiting_ = false;
  if (IsBindable(code)) BindKey(*settings_, action_, code);
  return true;
}

MenuTextField::MenuTextField(const char* name, float x, float y, float column,
                             std::string* target, size_t maxLength)
    : MenuSettingRow(name, x, y, column), target_(target), maxLength_(maxLength) {}

bool MenuTextField::Act(const MenuMouseState&) {
  if (!editing_) before_ = *target_;
  editing_ = true;
  return true;
}

std::string MenuTextField::ValueText() const { return *target_ + (editing_ ? "_" : ""); }

bool MenuTextField::TakeEvent(const SDL_Event& event) {
  if (!editing_) return false;
  if (event.type == SDL_MOUSEBUTTONDOWN) {
    editing_ = false;  // and the click goes on to what it is on
    return false;
  }
  if (event.type == SDL_KEYUP) return true;
  if (event.type != SDL_KEYDOWN) return false;
  const SDL_keysym& key = event.key.keysym;
  switch (key.sym) {
    case SDLK_ESCAPE:
      *target_ = before_;
      editing_ = false;
      return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      editing_ = false;
      return true;
    case SDLK_BACKSPACE:
      if (!target_->empty()) target_->pop_back();
      return true;
    default:
      break;
  }
  // The character typed: from the key's text when SDL gives it, else from
  // a key that is a character itself, Shift making a letter a capital.
  int c = key.unicode;
  if (c == 0 && key.sym >= 0x20 && key.sym <= 0x7E) {
    c = key.sym;
    if ((key.mod & KMOD_SHIFT) && c >= 'a' && c <= 'z') c -= 'a' - 'A';
  }
  if (c >= 0x20 && c <= 0x7E && target_->size() < maxLength_) target_->push_back(static_cast<char>(c));
  return true;
}

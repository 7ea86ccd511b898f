#pragma once
#include <cstdint>
#include <string>

// Key bindings by name, as the settings file and the controls page show
// them: "W", "Up", "Space", "Left Shift", "Mouse Left"; a key without a
// name of its own is "Key N", N its SDL 1.2 code.

constexpr uint16_t kKeyEscape = 27;  // reserved: it opens and leaves the menu
constexpr uint16_t kKeyCodeEnd = 323;  // SDL 1.2's SDLK_LAST

// Whether `code` may be bound to an action: a key other than Escape, or a
// mouse button.
bool IsBindable(uint16_t code);
// The binding's name; "" for a code that is not bindable.
std::string BindingName(uint16_t code);
// The binding a name stands for, as BindingName writes it (letters in
// either case); false for a name that stands for none.
bool BindingFromName(const std::string& name, uint16_t& code);

#include "settings/key_names.h"

#include <cctype>
#include <cstdlib>

#include "settings/settings.h"

namespace {

struct NamedCode {
  uint16_t code;
  const char* name;
};

// SDL 1.2's key codes past printable ASCII, which its ABI fixes.
constexpr NamedCode kNames[] = {
    {8, "Backspace"},      {9, "Tab"},           {12, "Clear"},          {13, "Return"},
    {19, "Pause"},         {32, "Space"},        {127, "Delete"},        {256, "Keypad 0"},
    {257, "Keypad 1"},     {258, "Keypad 2"},    {259, "Keypad 3"},      {260, "Keypad 4"},
    {261, "Keypad 5"},     {262, "Keypad 6"},    {263, "Keypad 7"},      {264, "Keypad 8"},
    {265, "Keypad 9"},     {266, "Keypad ."},    {267, "Keypad /"},      {268, "Keypad *"},
    {269, "Keypad -"},     {270, "Keypad +"},    {271, "Keypad Enter"},  {272, "Keypad ="},
    {273, "Up"},           {274, "Down"},        {275, "Right"},         {276, "Left"},
    {277, "Insert"},       {278, "Home"},        {279, "End"},           {280, "Page Up"},
    {281, "Page Down"},    {282, "F1"},          {283, "F2"},            {284, "F3"},
    {285, "F4"},           {286, "F5"},          {287, "F6"},            {288, "F7"},
    {289, "F8"},           {290, "F9"},          {291, "F10"},           {292, "F11"},
    {293, "F12"},          {294, "F13"},         {295, "F14"},           {296, "F15"},
    {300, "Num Lock"},     {301, "Caps Lock"},   {302, "Scroll Lock"},   {303, "Right Shift"},
    {304, "Left Shift"},   {305, "Right Ctrl"},  {306, "Left Ctrl"},     {307, "Right Alt"},
    {308, "Left Alt"},     {309, "Right Meta"},  {310, "Left Meta"},     {311, "Left Super"},
    {312, "Right Super"},  {313, "Alt Gr"},      {314, "Compose"},       {315, "Help"},
    {316, "Print"},        {317, "SysRq"},       {318, "Break"},         {319, "Menu"},
    {kBindMouseLeft, "Mouse Left"}, {kBindMouseRight, "Mouse Right"},
    {kBindMouseMiddle, "Mouse Middle"},
};

bool SameIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

// Printable ASCII other than capitals, which SDL 1.2 reports as their
// lower-case keys.
bool IsCharacterKey(uint16_t code) { return code > 32 && code < 127 && !(code >= 'A' && code <= 'Z'); }

}  // namespace

bool IsBindable(uint16_t code) {
  if (code == kBindMouseLeft || code == kBindMouseRight || code == kBindMouseMiddle) return true;
  return code > 0 && code < kKeyCodeEnd && code != kKeyEscape;
}

std::string BindingName(uint16_t code) {
  if (!IsBindable(code)) return "";
  for (const NamedCode& named : kNames) {
    if (named.code == code) return named.name;
  }
  if (IsCharacterKey(code)) {
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(code))));
  }
  return "Key " + std::to_string(code);
}

bool BindingFromName(const std::string& name, uint16_t& code) {
  for (const NamedCode& named : kNames) {
    if (SameIgnoringCase(name, named.name)) {
      code = named.code;
      return true;
    }
  }
  if (name.size() == 1) {
    const auto c = static_cast<uint16_t>(std::tolower(static_cast<unsigned char>(name[0])));
    if (IsCharacterKey(c)) {
      code = c;
      return true;
    }
    return false;
  }
  if (name.size() > 4 && name.compare(0, 4, "Key ") == 0 && name.size() <= 7) {
    char* end = nullptr;
    const long number = std::strtol(name.c_str() + 4, &end, 10);
    if (*end == '\0' && std::isdigit(static_cast<unsigned char>(name[4])) && number > 0 &&
        number < kKeyCodeEnd && IsBindable(static_cast<uint16_t>(number))) {
      code = static_cast<uint16_t>(number);
      return true;
    }
  }
  return false;
}

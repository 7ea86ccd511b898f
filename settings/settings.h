#pragma once
#include <array>
#include <cstdint>
#include <string>

// What a key binding can be: an SDL 1.2 key code (1 to 322), or a mouse
// button, kBindMouse plus the game's button bit (1 left, 2 right, 4 middle).
constexpr uint16_t kBindMouse = 0x1000;
constexpr uint16_t kBindMouseLeft = kBindMouse | 1;
constexpr uint16_t kBindMouseRight = kBindMouse | 2;
constexpr uint16_t kBindMouseMiddle = kBindMouse | 4;

// The actions a player binds, in the order the controls page lists them.
enum BoundAction : int {
  kBindThrust = 0,
  kBindBack,
  kBindStrafeLeft,
  kBindStrafeRight,
  kBindFire,
  kBoundActionCount,
};

// Everything the player can set. Each value starts at the game's default;
// the limits below are those the file and the menu accept.
struct Settings {
  // [video]
  int width = 1024;
  int height = 768;
  bool fullScreen = true;
  // [sound]
  int effectsVolume = 10;  // 0 (silent) to 10 (the sounds as they were made)
  bool music = false;
  int musicVolume = 6;
  // [controls]
  int mouseSensitivity = 5;  // 1 to 10; the view turns 2 degrees per pixel per second for each
  bool invertLook = false;   // moving the mouse up looks down
  std::array<uint16_t, kBoundActionCount> keys = {'w', 's', 'a', 'd', kBindMouseLeft};
  // [player]
  std::string name = "Pilot";  // what others see: printable ASCII, 1 to 16 characters
  int shipColour = 0;          // one of the ship's paints, 0 to 7
  int roundSeconds = 180;
  bool drones = true;

  // Degrees the view turns per pixel of mouse movement per second.
  float LookRate() const { return 2.0f * static_cast<float>(mouseSensitivity); }

  bool operator==(const Settings& o) const;
  bool operator!=(const Settings& o) const { return !(*this == o); }
};

// The limits.
constexpr int kMinWidth = 640;
constexpr int kMinHeight = 480;
constexpr int kMaxSide = 16384;
constexpr int kMaxVolume = 10;
constexpr int kMinSensitivity = 1;
constexpr int kMaxSensitivity = 10;
constexpr int kMaxRoundSeconds = 3600;
constexpr int kShipColours = 8;
constexpr size_t kMaxNameLength = 16;

// A name another player may be shown: 1 to `maxLength` printable ASCII
// characters.
bool IsPrintableName(const std::string& name, size_t maxLength = kMaxNameLength);

// The values in effect for this run: the settings file's, with the command
// line's on top (or, while a demo replays, the demo's).
extern Settings gSettings;

// Copies the settings that decide what play makes of the input (the
// controls, the round's length, the drones): what a demo keeps.
void CopyPlaySettings(const Settings& from, Settings& to);

// Binds `code` to `action`; an action that had it takes the key `action`
// had, so no key is ever bound twice.
void BindKey(Settings& settings, int action, uint16_t code);

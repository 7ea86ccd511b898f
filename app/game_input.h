#pragma once
#include <SDL.h>

#include <cstdint>

#include "settings/settings.h"

// The mouse as play input last saw it, for the player's ship.
struct MouseSnapshot {
  int32_t mouseX = 0;
  int32_t mouseY = 0;
  uint32_t buttons = 0;  // 1 left, 2 right, 4 middle
};

extern MouseSnapshot gInput;
// The keyboard state array, indexed by SDL key code; non-zero while held.
extern const uint8_t* gKeys;

// Keys held when the game switches between play and the menu are ignored
// until released, so one press of Escape acts on one side only.
// IgnoreHeldKeys marks every key held now; KeyPressed says whether `key` is
// held in `keys` and was not held through the last switch.
void IgnoreHeldKeys();
bool KeyPressed(const uint8_t* keys, int key);
// The same rule for an event, so that a press released before the state is
// read still counts: true for a press of `key` that is not ignored; a
// release of `key` ends its ignoring.
bool KeyEventPressed(const SDL_Event& event, int key);

// The controls of the player's ship that the keys and buttons hold, by the
// bindings in `settings`: by default W or Up thrusts, S or Down backs, A or
// Left and D or Right strafe, the left button fires. The arrows steer as
// they do by default whatever the bindings, each unless bound to another
// action.
uint8_t ControlsHeld(const uint8_t* keys, uint32_t buttons, const Settings& settings = Settings{});

// Play hides the pointer and, in a window, grabs it so mouse-look keeps it
// inside; the menu shows and frees it.
void CapturePointer(bool capture);

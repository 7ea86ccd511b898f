#pragma once
#include <cstdint>

// The mouse as play input last saw it, for the player's ship.
struct MouseSnapshot {
  int32_t mouseX = 0;
  int32_t mouseY = 0;
  uint32_t buttons = 0;  // 1 left, 2 right, 4 middle
};

extern MouseSnapshot gInput;
// The keyboard state array, indexed by SDL key code; non-zero while held.
extern const uint8_t* gKeys;

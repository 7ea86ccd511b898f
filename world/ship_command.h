#pragma once
#include <cstdint>

// The controls a pilot holds, as bits of ShipCommand::controls.
enum ShipControl : uint8_t {
  kControlThrust = 1,
  kControlBack = 2,
  kControlStrafeLeft = 4,
  kControlStrafeRight = 8,
  kControlFire = 16,
};
constexpr uint8_t kAllControls =
    kControlThrust | kControlBack | kControlStrafeLeft | kControlStrafeRight | kControlFire;

// What one ship is told to do for one step: where its pilot looks and which
// controls are held. The local game makes it from the mouse and keys; the
// ship reads nothing else.
struct ShipCommand {
  float pitch = 0.0f;  // degrees, as the camera turns
  float yaw = 0.0f;
  uint8_t controls = 0;

  bool Holds(ShipControl control) const { return (controls & control) != 0; }
};

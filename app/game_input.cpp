#include "app/game_input.h"

#include <SDL.h>

#include <array>

#include "app/game.h"
#include "app/options.h"
#include "app/video.h"
#include "platform/clock.h"
#include "platform/cursor.h"
#include "platform/input.h"
#include "world/ship_command.h"

MouseSnapshot gInput;
const uint8_t* gKeys = nullptr;

namespace {

constexpr float kPollInterval = 0.01f;  // seconds of play time
constexpr uint32_t kEscapePauseMs = 250;

// What each bound action holds, and the arrow that also holds it.
constexpr uint8_t kActionControls[kBoundActionCount] = {
    kControlThrust, kControlBack, kControlStrafeLeft, kControlStrafeRight, kControlFire};
constexpr uint16_t kArrows[kBoundActionCount] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, 0};

std::array<bool, SDLK_LAST> gIgnoredKeys{};

// SDL's mask is 1 left, 2 middle, 4 right; the game's 1 left, 2 right, 4 middle.
uint32_t GameButtons(uint8_t sdlMask) {
  uint32_t buttons = 0;
  if (sdlMask & SDL_BUTTON(1)) buttons |= 1;
  if (sdlMask & SDL_BUTTON(2)) buttons |= 4;
  if (sdlMask & SDL_BUTTON(3)) buttons |= 2;
  return buttons;
}

}  // namespace

uint8_t ControlsHeld(const uint8_t* keys, uint32_t buttons, const Settings& settings) {
  auto held = [keys, buttons](uint16_t binding) {
    if (binding & kBindMouse) return (buttons & (binding & 7u)) != 0;
    return binding < SDLK_LAST && keys[binding] != 0;
  };
  auto boundElsewhere = [&settings](uint16_t key, int action) {
    for (int other = 0; other < kBoundActionCount; ++other) {
      if (other != action && settings.keys[other] == key) return true;
    }
    return false;
  };
  uint8_t controls = 0;
  for (int action = 0; action < kBoundActionCount; ++action) {
    const uint16_t arrow = kArrows[action];
    if (held(settings.keys[action]) ||
        (arrow != 0 && keys[arrow] != 0 && !boundElsewhere(arrow, action))) {
      controls |= kActionControls[action];
    }
  }
  return controls;
}

void IgnoreHeldKeys() {
  const uint8_t* keys = platform::KeyState();
  for (int key = 0; key < SDLK_LAST; ++key) gIgnoredKeys[key] = keys[key] != 0;
}

bool KeyPressed(const uint8_t* keys, int key) {
  if (key < 0 || key >= SDLK_LAST) return false;
  if (!keys[key]) gIgnoredKeys[key] = false;
  return keys[key] && !gIgnoredKeys[key];
}

bool KeyEventPressed(const SDL_Event& event, int key) {
  if (key < 0 || key >= SDLK_LAST) return false;
  if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return false;
  if (event.key.keysym.sym != key) return false;
  if (event.type == SDL_KEYUP) {
    gIgnoredKeys[key] = false;
    return false;
  }
  return !gIgnoredKeys[key];
}

void CapturePointer(bool capture) {
  platform::ShowCursor(!capture);
  // Full screen, SDL keeps the pointer in by itself.
  if (gOptions.window) platform::GrabPointer(capture);
}

void Game::RecentrePointer() {
  SDL_Event event;
  while (platform::PollEvent(&event)) {
    if (event.type == SDL_QUIT) state = kStateQuit;
  }
  platform::WarpMouse(gHalfWidth, gHalfHeight);
}

void Game::HandleInput(float dt) {
  if (inputTimer < kPollInterval) return;
  inputTimer = 0.0f;
  const uint8_t* keys = platform::KeyState();
  mouseButtons = 0;

  // One event per poll; the rest wait for later polls. A press of Escape
  // counts from its event too: a quick tap is over before the state shows it.
  SDL_Event event;
  bool escapeEvent = false;
  if (platform::PollEvent(&event)) {
    if (event.type == SDL_MOUSEMOTION) {
      mouseX = event.motion.x;
      mouseY = event.motion.y;
    } else if (event.type == SDL_QUIT) {
      state = kStateQuit;
    }
    escapeEvent = KeyEventPressed(event, SDLK_ESCAPE);
  }
  mouseButtons = GameButtons(platform::MouseState(nullptr, nullptr));

  if (state != kStatePlaying) return;
  if (KeyPressed(keys, SDLK_ESCAPE) || escapeEvent) {
    uint32_t began = platform::Ticks();
    CapturePointer(false);
    state = kStateMenu;
    IgnoreHeldKeys();  // the menu would take this Escape as "Resume"
    menu.IgnoreQueuedPresses();  // nor may a shot fired in play click in it
    platform::SpinUntil(began + kEscapePauseMs);
  }

  // Mouse-look: the pointer's displacement from the centre turns the view,
  // then the pointer goes back to the centre.
  int x = 0;
  int y = 0;
  platform::MouseState(&x, &y);
  platform::WarpMouse(gHalfWidth, gHalfHeight);
  gInput.mouseX = mouseX;
  gInput.mouseY = mouseY;
  gInput.buttons = mouseButtons;
  gKeys = keys;
  const float lookRate = gSettings.LookRate();  // degrees per pixel per second
  camera.yaw += static_cast<float>(x - gHalfWidth) * dt * lookRate;
  const float pitch = static_cast<float>(y - gHalfHeight) * dt * lookRate;
  camera.AddPitch(gSettings.invertLook ? -pitch : pitch);
}

#include "app/input.h"

#include <SDL.h>

#include "app/game.h"
#include "app/video.h"
#include "platform/clock.h"
#include "platform/cursor.h"
#include "platform/input.h"

MouseSnapshot gInput;
const uint8_t* gKeys = nullptr;

namespace {

constexpr float kPollInterval = 0.01f;  // seconds of play time
constexpr uint32_t kEscapePauseMs = 250;
constexpr float kLookRate = 10.0f;  // degrees per pixel per second

// SDL's mask is 1 left, 2 middle, 4 right; the game's 1 left, 2 right, 4 middle.
uint32_t GameButtons(uint8_t sdlMask) {
  uint32_t buttons = 0;
  if (sdlMask & SDL_BUTTON(1)) buttons |= 1;
  if (sdlMask & SDL_BUTTON(2)) buttons |= 4;
  if (sdlMask & SDL_BUTTON(3)) buttons |= 2;
  return buttons;
}

}  // namespace

void Game::HandleInput(float dt) {
  if (inputTimer < kPollInterval) return;
  inputTimer = 0.0f;
  const uint8_t* keys = platform::KeyState();
  mouseButtons = 0;

  // One event per poll; the rest wait for later polls.
  SDL_Event event;
  if (platform::PollEvent(&event)) {
    if (event.type == SDL_MOUSEMOTION) {
      mouseX = event.motion.x;
      mouseY = event.motion.y;
    } else if (event.type == SDL_QUIT) {
      state = kStateQuit;
    }
  }
  mouseButtons = GameButtons(platform::MouseState(nullptr, nullptr));

  if (state != kStatePlaying) return;
  if (keys[SDLK_ESCAPE]) {
    uint32_t began = platform::Ticks();
    platform::ShowCursor(true);
    state = kStateMenu;
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
  camera.yaw += static_cast<float>(x - gHalfWidth) * dt * kLookRate;
  camera.AddPitch(static_cast<float>(y - gHalfHeight) * dt * kLookRate);
}

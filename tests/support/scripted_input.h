#pragma once
#include <SDL.h>

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "platform/seams.h"

// A player's input, scripted: queued events, held keys and buttons, and the
// pointer. Installed as the game's input source while alive.
class ScriptedInput : public platform::InputSource {
 public:
  ScriptedInput() : keys_(SDLK_LAST, 0), seams_(this, nullptr) {}
  ScriptedInput(const ScriptedInput&) = delete;
  ScriptedInput& operator=(const ScriptedInput&) = delete;

  void QueueMotion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = static_cast<Uint16>(x);
    e.motion.y = static_cast<Uint16>(y);
    events_.push_back(e);
  }
  // A key's press or release as an event; the held state is set apart.
  void QueueKey(SDLKey key, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    events_.push_back(e);
  }
  // A button's press or release at (x, y) as an event (SDL's numbers: 1 left).
  void QueueButton(uint8_t button, bool down, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    events_.push_back(e);
  }
  void QueueQuit() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    events_.push_back(e);
  }
  void Hold(SDLKey key, bool held = true) { keys_[key] = held ? 1 : 0; }
  // SDL's button mask: 1 left, 2 middle, 4 right.
  void SetButtons(uint8_t sdlMask) { buttons_ = sdlMask; }
  void SetPointer(int x, int y) {
    x_ = x;
    y_ = y;
  }

  size_t PendingEvents() const { return events_.size(); }
  const std::vector<std::pair<int, int>>& Warps() const { return warps_; }

  int PollEvent(SDL_Event* event) override {
    if (events_.empty()) return 0;
    *event = events_.front();
    events_.pop_front();
    return 1;
  }
  const uint8_t* KeyState() override { return keys_.data(); }
  uint8_t MouseState(int* x, int* y) override {
    if (x) *x = x_;
    if (y) *y = y_;
    return buttons_;
  }
  void WarpMouse(int x, int y) override {
    warps_.emplace_back(x, y);
    x_ = x;
    y_ = y;
  }

 private:
  std::deque<SDL_Event> events_;
  std::vector<uint8_t> keys_;
  uint8_t buttons_ = 0;
  int x_ = 0;
  int y_ = 0;
  std::vector<std::pair<int, int>> warps_;
  platform::SeamGuard seams_;
};

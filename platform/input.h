#pragma once
#include <SDL.h>
#include <cstdint>

// The reads of events, keys and the pointer, behind one seam so tests can
// script a player. The default source is SDL itself.
namespace platform {

class InputSource {
 public:
  virtual ~InputSource() = default;
  virtual int PollEvent(SDL_Event* event);
  virtual const uint8_t* KeyState();
  virtual uint8_t MouseState(int* x, int* y);
  virtual void WarpMouse(int x, int y);
};

// Passing nullptr restores SDL as the source.
void SetInputSource(InputSource* source);
InputSource* CurrentInputSource();

int PollEvent(SDL_Event* event);
const uint8_t* KeyState();
uint8_t MouseState(int* x, int* y);
void WarpMouse(int x, int y);

}  // namespace platform

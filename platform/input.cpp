#include "platform/input.h"

namespace platform {
namespace {

InputSource gSdlInput;
InputSource* gInputSource = &gSdlInput;

}  // namespace

int InputSource::PollEvent(SDL_Event* event) { return SDL_PollEvent(event); }

const uint8_t* InputSource::KeyState() { return SDL_GetKeyState(nullptr); }

uint8_t InputSource::MouseState(int* x, int* y) { return SDL_GetMouseState(x, y); }

void InputSource::WarpMouse(int x, int y) {
  SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
}

void SetInputSource(InputSource* source) { gInputSource = source ? source : &gSdlInput; }
InputSource* CurrentInputSource() { return gInputSource; }

int PollEvent(SDL_Event* event) { return gInputSource->PollEvent(event); }
const uint8_t* KeyState() { return gInputSource->KeyState(); }
uint8_t MouseState(int* x, int* y) { return gInputSource->MouseState(x, y); }
void WarpMouse(int x, int y) { gInputSource->WarpMouse(x, y); }

}  // namespace platform

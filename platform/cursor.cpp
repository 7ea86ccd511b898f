#include "platform/cursor.h"

#include <SDL.h>

namespace platform {

void ShowCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

void GrabPointer(bool grab) { SDL_WM_GrabInput(grab ? SDL_GRAB_ON : SDL_GRAB_OFF); }

}  // namespace platform

#include "platform/cursor.h"

#include <SDL.h>

namespace platform {

void ShowCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

}  // namespace platform

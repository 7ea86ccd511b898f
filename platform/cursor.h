#pragma once

namespace platform {

// Shows the mouse pointer in the menu and hides it in play.
void ShowCursor(bool show);

// Keeps the pointer inside the window (SDL_WM_GrabInput) or lets it go.
void GrabPointer(bool grab);

}  // namespace platform

#pragma once

namespace platform {

// Shows the mouse pointer in the menu and hides it in play.
void ShowCursor(bool show);

}  // namespace platform

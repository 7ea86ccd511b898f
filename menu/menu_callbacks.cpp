#include "menu/menu_callbacks.h"

#include "app/game.h"
#include "app/video.h"

int32_t gMenuAction = kActionNone;
int32_t gMenuPage = kMenuPageMain;
int32_t gPendingWidth = 1024;
int32_t gPendingHeight = 768;
std::string gJoinAddress = "localhost";

void OnResumeGame() { gMenuAction = kActionResume; }

void OnPlayGame() {
  gMenuAction = kActionPlay;
  gMenuPage = kMenuPageMain;
}

void OnEndGame() { gMenuAction = kActionEndGame; }

void OnShowOptions() { gMenuPage = kMenuPageOptions; }

// The page opens on the size in effect, whatever was stepped to and not
// accepted before.
void OnShowVideoOptions() {
  gPendingWidth = gScreenWidth;
  gPendingHeight = gScreenHeight;
  gMenuPage = kMenuPageVideo;
}

// Leaves the video page; the size in effect stays, and is what it shows next.
void OnCancelVideo() {
  gPendingWidth = gScreenWidth;
  gPendingHeight = gScreenHeight;
  gMenuPage = kMenuPageOptions;
}

void OnShowQuitPage() { gMenuPage = kMenuPageQuit; }

void OnShowMainMenu() { gMenuPage = kMenuPageMain; }

void OnNothing() {}

void OnQuitConfirmed() { gMenuAction = kActionQuit; }

void OnShowHelp() { gMenuPage = kMenuPageHelp; }

void OnShowAbout() { gMenuPage = kMenuPageAbout; }

// Steps through the sizes the display offers, wrapping round.
void OnChooseResolution() {
  const VideoSize next = NextVideoSize(gVideoSizes, {gPendingWidth, gPendingHeight});
  gPendingWidth = next.width;
  gPendingHeight = next.height;
}

void OnAcceptChanges() {
  const int32_t width = gPendingWidth;
  const int32_t height = gPendingHeight;
  gMenuAction = kActionApplyVideo;
  gMenuPage = kMenuPageOptions;
  // The picture takes the new size first, so that what SetScreenSize stores
  // is what is on screen; a mode that cannot be had leaves the old one.
  ChangeVideoMode(width, height);
  gPendingWidth = gScreenWidth;
  gPendingHeight = gScreenHeight;
}

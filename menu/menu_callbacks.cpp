#include "menu/menu_callbacks.h"

#include "app/game.h"
#include "app/video.h"

int32_t gMenuAction = kActionNone;
int32_t gMenuPage = kMenuPageMain;
int32_t gPendingWidth = 1024;
int32_t gPendingHeight = 768;

void OnResumeGame() { gMenuAction = kActionResume; }

void OnPlayGame() {
  gMenuAction = kActionPlay;
  gMenuPage = kMenuPageMain;
}

void OnEndGame() { gMenuAction = kActionEndGame; }

void OnShowOptions() { gMenuPage = kMenuPageOptions; }

// Without it the video page, complete as it is, could never be reached.
void OnShowVideoOptions() { gMenuPage = kMenuPageVideo; }

void OnShowQuitPage() { gMenuPage = kMenuPageQuit; }

void OnShowMainMenu() { gMenuPage = kMenuPageMain; }

void OnNothing() {}

void OnQuitConfirmed() { gMenuAction = kActionQuit; }

void OnChooseResolution() {
  gPendingWidth = 640;
  gPendingHeight = 480;
}

void OnAcceptChanges() {
  const int32_t width = gPendingWidth;
  const int32_t height = gPendingHeight;
  gMenuAction = kActionApplyVideo;
  gMenuPage = kMenuPageOptions;
  SetScreenSize(width, height);
}

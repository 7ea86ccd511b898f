#include "menu/menu_callbacks.h"

#include "app/game.h"
#include "app/sound_settings.h"
#include "app/video.h"
#include "settings/settings_store.h"

int32_t gMenuAction = kActionNone;
int32_t gMenuPage = kMenuPageMain;
int32_t gPendingWidth = 1024;
int32_t gPendingHeight = 768;
Settings gPendingSettings;
std::string gJoinAddress = "localhost";
PlayerTally gShownTally;
int32_t gShownBestScore = 0;

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
  // The size now on screen is remembered.
  Settings shown = gSettings;
  shown.width = gScreenWidth;
  shown.height = gScreenHeight;
  AcceptSettings("video", shown);
}

void OnAcceptSound() {
  AcceptSettings("sound", gPendingSettings);
  ApplySoundSettings(gSettings);
  gMenuPage = kMenuPageOptions;
}

void OnAcceptControls() {
  AcceptSettings("controls", gPendingSettings);
  gMenuPage = kMenuPageOptions;
}

void OnAcceptPlayer() {
  // A name typed away to nothing keeps the one in effect.
  if (!IsPrintableName(gPendingSettings.name)) gPendingSettings.name = gSettings.name;
  AcceptSettings("player", gPendingSettings);
  gMenuPage = kMenuPageOptions;
}

void OnCancelSettings() { gMenuPage = kMenuPageOptions; }

void OnHostGame() { gMenuAction = kActionHostGame; }

void OnJoinGame() {
  if (!gJoinAddress.empty()) gMenuAction = kActionJoinGame;
}

void OnEffectsVolumeStepped(int volume) { PlayVolumeSample(volume); }

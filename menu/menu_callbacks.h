#pragma once
#include <cstdint>
#include <string>

#include "settings/settings.h"
#include "world/round.h"

// The pages, by the number gMenuPage holds; any other number shows no page.
enum MenuPageId : int32_t {
  kMenuPageMain = 0,
  kMenuPageOptions = 2,
  kMenuPageVideo = 3,
  kMenuPageHelp = 4,
  kMenuPageAbout = 5,
  kMenuPageResults = 6,
  kMenuPageQuit = 8,
  kMenuPageSound = 9,
  kMenuPageControls = 10,
  kMenuPagePlayer = 11,
  kMenuPageMultiplayer = 12,
};

// How the buttons' callbacks, which take no arguments, talk to the game.
extern int32_t gMenuAction;    // the frame's MenuAction, 0 when none
extern int32_t gMenuPage;      // the page shown; kept while the game is played
extern int32_t gPendingWidth;  // screen size chosen on the video page
extern int32_t gPendingHeight;
// The settings as the sound, controls and player pages show them, taken
// into play by their "Accept Changes".
extern Settings gPendingSettings;
// The address the Multiplayer page's "Join Game" joins: a host, or
// host:port, as typed.
extern std::string gJoinAddress;
// The round the results page shows, and the best score so far.
extern PlayerTally gShownTally;
extern int32_t gShownBestScore;

constexpr size_t kMaxJoinAddressLength = 64;

// Shows a page; a settings page opens on the settings in effect.
template <int32_t page>
void OnShowPage() {
  gMenuPage = page;
}
template <int32_t page>
void OnShowSettingsPage() {
  gPendingSettings = gSettings;
  gMenuPage = page;
}
void OnAcceptSound();
void OnAcceptControls();
void OnAcceptPlayer();
// Leaves a settings page for the options page, its changes dropped.
void OnCancelSettings();
void OnHostGame();
void OnJoinGame();
// Plays the launch sound at the effects volume stepped to.
void OnEffectsVolumeStepped(int volume);

void OnResumeGame();
void OnPlayGame();
void OnEndGame();
void OnShowOptions();
void OnShowVideoOptions();
void OnShowQuitPage();
void OnShowMainMenu();
void OnShowHelp();
void OnShowAbout();
void OnNothing();
void OnQuitConfirmed();
void OnChooseResolution();
void OnAcceptChanges();
void OnCancelVideo();

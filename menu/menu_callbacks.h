#pragma once
#include <cstdint>
#include <string>

// The pages, by the number gMenuPage holds; any other number shows no page.
enum MenuPageId : int32_t {
  kMenuPageMain = 0,
  kMenuPageOptions = 2,
  kMenuPageVideo = 3,
  kMenuPageHelp = 4,
  kMenuPageAbout = 5,
  kMenuPageResults = 6,
  kMenuPageQuit = 8,
};

// How the buttons' callbacks, which take no arguments, talk to the game.
extern int32_t gMenuAction;    // the frame's MenuAction, 0 when none
extern int32_t gMenuPage;      // the page shown; kept while the game is played
extern int32_t gPendingWidth;  // screen size chosen on the video page
extern int32_t gPendingHeight;
extern std::string gJoinAddress;  // the game "Join Game" joins: HOST or HOST:PORT

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

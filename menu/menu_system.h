#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/game_status.h"
#include "world/round.h"
#include "assets/texture.h"
#include "menu/menu_callbacks.h"
#include "menu/menu_item.h"
#include "menu/menu_page.h"

// The full-screen menu: pages of extruded-text items over a textured
// background, with a slowly turning, reflective ship behind them. Every page
// is a table of its items in menu/menu_build.cpp. One call of Update is one
// menu frame.
class MenuSystem {
 public:
  MenuSystem();
  MenuSystem(const MenuSystem&) = delete;
  MenuSystem& operator=(const MenuSystem&) = delete;

  // Makes every item and page and loads the background; needs the outline
  // font's metrics and a current GL context. False, with the reason in
  // `error`, when the background cannot be loaded.
  bool Build(std::string& error);

  // The turning ship's own texture; needs a current GL context. False, with
  // the reason in `error`, when it cannot be loaded: the ship then goes
  // untextured and the menu still works.
  bool LoadShipMaterial(std::string& error);

  // Reads input, lets the current page react, draws and shows the frame;
  // returns the frame's MenuAction. Escape still held from play is ignored
  // until it is released.
  int32_t Update(const GameStatus& status);

  // Offers Resume and End Game while a game is in progress, Play otherwise.
  void SetGameInProgress(bool inProgress);
  // Button presses waiting from before the menu was shown are not clicks:
  // the next frame drops them.
  void IgnoreQueuedPresses() { ignoreQueuedPresses = true; }
  // Reads the frame's events and state: a press and a release within one
  // frame still click, as a held button does.
  void HandleInput();
  // Render, then flush and swap.
  void Draw();
  // The whole frame into the back buffer, and the ship's turn for the next.
  void Render();
  // A line shown under the title for some seconds: what ended a network game.
  void ShowNotice(const std::string& text);
  // Opens the results page on a finished round's tally and the best score.
  void ShowResults(const PlayerTally& tally, int32_t bestScore);
  // The page gMenuPage names, or null for a number that names none.
  MenuPage* CurrentPage();
  // Turns the ship by 20 degrees a second, at least 0.2 degrees a frame.
  void TurnShip();

  Material material;
  uint32_t lastTicks = 0;
  float shipAngle = 0.0f;  // degrees about y, in [0, 360)
  MenuMouseState mouse;
  bool ignoreQueuedPresses = false;
  bool gameInProgress = false;
  Texture background;

 private:
  // The pages by their number; those of the table only.
  std::map<int32_t, MenuPage> pages_;

 public:
  // Items the pages' tables made that no member below names.
  std::vector<std::unique_ptr<MenuItem>> items;

  std::unique_ptr<MenuLabel> titleLabel;
  std::unique_ptr<MenuButton> resumeButton;
  std::unique_ptr<MenuButton> playButton;
  std::unique_ptr<MenuButton> endGameButton;
  std::unique_ptr<MenuButton> optionsButton;
  std::unique_ptr<MenuButton> helpButton;
  std::unique_ptr<MenuButton> aboutButton;
  std::unique_ptr<MenuButton> quitButton;
  std::unique_ptr<MenuButton> videoOptionsButton;
  std::unique_ptr<MenuButton> soundOptionsButton;
  std::unique_ptr<MenuButton> controlOptionsButton;
  std::unique_ptr<MenuButton> playerOptionsButton;
  std::unique_ptr<MenuButton> mainMenuButton;
  std::unique_ptr<MenuButton> resolutionButton;
  std::unique_ptr<MenuLabel> resolutionLabel;
  std::unique_ptr<MenuButton> acceptButton;
  std::unique_ptr<MenuButton> cancelButton;
  std::unique_ptr<MenuLabel> quitQuestionLabel;
  std::unique_ptr<MenuButton> yesButton;
  std::unique_ptr<MenuButton> noButton;
  std::unique_ptr<MenuButton> playAgainButton;
  std::unique_ptr<MenuButton> resultsMainMenuButton;
  std::unique_ptr<MenuButton> multiplayerButton;

  MenuPage& mainPage = pages_[kMenuPageMain];
  MenuPage& optionsPage = pages_[kMenuPageOptions];
  MenuPage& quitPage = pages_[kMenuPageQuit];
  MenuPage& videoPage = pages_[kMenuPageVideo];
  MenuPage& helpPage = pages_[kMenuPageHelp];
  MenuPage& aboutPage = pages_[kMenuPageAbout];
  MenuPage& resultsPage = pages_[kMenuPageResults];
  std::unique_ptr<MenuLabel> notice;
  uint32_t noticeUntil = 0;  // menu ticks; the notice goes at this time
};

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "menu/menu_callbacks.h"
#include "menu/menu_setting_rows.h"
#include "menu/menu_system.h"
#include "settings/settings.h"

// Every page of the menu: a table of its items and what each does, in
// drawing order (which is also click order). Adding a page is one entry in
// kPages (and its number in MenuPageId); adding an item is one line in its
// page.
namespace {

// Letter sizes: x, y and the depth of the extrusion.
struct Style {
  float x, y, z;
};
constexpr Style kLarge{0.1f, 0.1f, 0.05f};       // the main and options pages' buttons
constexpr Style kBold{0.1f, 0.1f, 0.1f};         // the title, "Yes" and "No"
constexpr Style kSmall{0.06f, 0.06f, 0.0375f};   // lines, settings rows, "Accept Changes"
constexpr Style kNarrow{0.056f, 0.06f, 0.0375f};  // "Cancel"

// Rows step down from `top` by repeated single-precision subtraction, as
// the pages were first laid out: the same floats, the same hit boxes.
float Row(float top, float step, int n) {
  float y = top;
  for (int i = 0; i < n; ++i) y -= step;
  return y;
}
float MainRow(int n) { return Row(0.225f, 0.1f, n); }  // main and options pages
float FineRow(int n) { return Row(0.225f, 0.075f, n); }  // video, help, about, settings pages
float ResultRow(int n) { return Row(Row(0.25f, 0.1f, 1), 0.075f, n); }  // the results' lines

constexpr float kMainX = -0.15f;
constexpr float kOptionsX = -0.2f;
constexpr float kLineX = -0.6f;    // help lines and settings rows
constexpr float kValueX = 0.1f;    // their values
constexpr float kResultX = -0.45f;

using ButtonRole = std::unique_ptr<MenuButton> MenuSystem::*;
using LabelRole = std::unique_ptr<MenuLabel> MenuSystem::*;
// Makes an item (or finds one another page made) for a page.
using Entry = std::function<MenuItem*(MenuSystem&)>;

template <typename Item>
MenuItem* Keep(MenuSystem& menu, std::unique_ptr<Item> item) {
  MenuItem* kept = item.get();
  menu.items.push_back(std::move(item));
  return kept;
}

Entry Button(const char* text, float x, float y, Style s, MenuCallback action,
             ButtonRole role = nullptr, bool visible = true) {
  return [=](MenuSystem& menu) -> MenuItem* {
    auto button = std::make_unique<MenuButton>(text, x, y, s.x, s.y, s.z, action);
    button->visible = visible;
    if (!role) return Keep(menu, std::move(button));
    menu.*role = std::move(button);
    return (menu.*role).get();
  };
}

Entry Label(const char* text, float x, float y, Style s, LabelRole role = nullptr,
            MenuValueText value = nullptr) {
  return [=](MenuSystem& menu) -> MenuItem* {
    auto label = std::make_unique<MenuLabel>(text, x, y, s.x, s.y, s.z, value);
    label->Refresh();
    if (!role) return Keep(menu, std::move(label));
    menu.*role = std::move(label);
    return (menu.*role).get();
  };
}

// A value shown beside a line, made afresh each frame.
Entry Value(MenuValueText value, float x, float y, Style s, LabelRole role = nullptr) {
  return Label("", x, y, s, role, value);
}

// An item another page made before.
Entry Same(ButtonRole role) {
  return [=](MenuSystem& menu) -> MenuItem* { return (menu.*role).get(); };
}
Entry Same(LabelRole role) {
  return [=](MenuSystem& menu) -> MenuItem* { return (menu.*role).get(); };
}

// Rows of the settings pages, editing gPendingSettings.
Entry Stepper(const char* name, int row, int Settings::*field, int lo, int hi,
              MenuStepper::Format format = nullptr, MenuStepper::Stepped stepped = nullptr,
              std::vector<int> choices = {}) {
  return [=](MenuSystem& menu) {
    return Keep(menu, std::make_unique<MenuStepper>(name, kLineX, FineRow(row), kValueX,
                                                    &gPendingSettings, field, lo, hi, choices,
                                                    format, stepped));
  };
}
Entry Toggle(const char* name, int row, bool Settings::*field) {
  return [=](MenuSystem& menu) {
    return Keep(menu, std::make_unique<MenuToggle>(name, kLineX, FineRow(row), kValueX,
                                                   &gPendingSettings, field));
  };
}
Entry Key(const char* name, int row, int action) {
  return [=](MenuSystem& menu) {
    return Keep(menu, std::make_unique<MenuKeyBinding>(name, kLineX, FineRow(row), kValueX,
                                                       &gPendingSettings, action));
  };
}
Entry Text(const char* name, int row, std::string* target, size_t maxLength) {
  return [=](MenuSystem& menu) {
    return Keep(menu, std::make_unique<MenuTextField>(name, kLineX, FineRow(row), kValueX,
                                                      target, maxLength));
  };
}
// "Accept Changes" and "Cancel" below a settings page's rows.
std::vector<Entry> AcceptAndCancel(int row, MenuCallback accept) {
  return {Button("Accept Changes", kOptionsX, FineRow(row), kSmall, accept),
          Button("Cancel", kOptionsX, FineRow(row + 1), kNarrow, &OnCancelSettings)};
}

std::string PendingSize() {
  return std::to_string(gPendingWidth) + " x " + std::to_string(gPendingHeight);
}
std::string Volume(int v) { return v == 0 ? "Off" : std::to_string(v) + " / 10"; }
std::string Seconds(int s) {
  return s % 60 == 0 ? std::to_string(s / 60) + " min" : std::to_string(s) + " s";
}
std::string Paint(int colour) {
  static const char* const kNames[kShipColours] = {"Plain",  "Red",     "Blue", "Green",
                                                   "Yellow", "Magenta", "Cyan", "Orange"};
  return colour >= 0 && colour < kShipColours ? kNames[colour] : "?";
}
std::string Version() { return std::string("Version ") + DRIFTWING_VERSION; }

// The round's tally as the results page shows it.
template <int32_t PlayerTally::*field>
std::string Tally() {
  return std::to_string(gShownTally.*field);
}
std::string Accuracy() { return std::to_string(gShownTally.Accuracy()) + " %"; }
std::string BestScore() { return std::to_string(gShownBestScore); }

struct PageTable {
  MenuPageId id;
  std::vector<Entry> items;
};

// The controls, key and what it does, as they stand in the README.
const char* const kControls[][2] = {
    {"Mouse", "look around"},
    {"W / S, Up / Down", "thrust"},
    {"A / D, Left / Right", "strafe and bank"},
    {"Left button", "fire a rocket"},
    {"Escape", "this menu"},
};

std::vector<Entry> HelpLines() {
  std::vector<Entry> lines;
  for (int row = 0; row < 5; ++row) {
    lines.push_back(Label(kControls[row][0], kLineX, FineRow(row), kSmall));
    lines.push_back(Label(kControls[row][1], kValueX, FineRow(row), kSmall));
  }
  return lines;
}

std::vector<PageTable> Pages() {
  using M = MenuSystem;
  std::vector<PageTable> pages = {
      {kMenuPageMain,
       {Label("(insert title here)", -0.3f, 0.4f, kBold, &M::titleLabel),
        Button("End Game", kMainX, MainRow(1), kLarge, &OnEndGame, &M::endGameButton, false),
        Button("Resume Game", kMainX, MainRow(0), kLarge, &OnResumeGame, &M::resumeButton),
        Button("Play Game", kMainX, MainRow(1), kLarge, &OnPlayGame, &M::playButton),
        Button("Options", kMainX, MainRow(2), kLarge, &OnShowOptions, &M::optionsButton),
        Button("Help", kMainX, MainRow(3), kLarge, &OnShowHelp, &M::helpButton),
        Button("About", kMainX, MainRow(4), kLarge, &OnShowAbout, &M::aboutButton),
        Button("Quit", kMainX, MainRow(5), kLarge, &OnShowQuitPage, &M::quitButton),
        Button("Multiplayer", kMainX, MainRow(6), kLarge, &OnShowPage<kMenuPageMultiplayer>,
               &M::multiplayerButton)}},
      {kMenuPageOptions,
       {Button("Video Options", kOptionsX, MainRow(0), kLarge, &OnShowVideoOptions,
               &M::videoOptionsButton),
        Button("Sound Options", kOptionsX, MainRow(1), kLarge,
               &OnShowSettingsPage<kMenuPageSound>, &M::soundOptionsButton),
        Button("Control Options", kOptionsX, MainRow(2), kLarge,
               &OnShowSettingsPage<kMenuPageControls>, &M::controlOptionsButton),
        Button("Player Options", kOptionsX, MainRow(3), kLarge,
               &OnShowSettingsPage<kMenuPagePlayer>, &M::playerOptionsButton),
        Button("Main Menu", kOptionsX, MainRow(4), kLarge, &OnShowMainMenu, &M::mainMenuButton),
        Same(&M::titleLabel)}},
      {kMenuPageVideo,
       {Button("Resolution", -0.45f, FineRow(0), kLarge, &OnChooseResolution,
               &M::resolutionButton),
        Value(&PendingSize, kValueX, FineRow(0), kLarge, &M::resolutionLabel),
        Button("Accept Changes", kOptionsX, FineRow(2), kSmall, &OnAcceptChanges,
               &M::acceptButton),
        Button("Cancel", kOptionsX, FineRow(3), kNarrow, &OnCancelVideo, &M::cancelButton),
        Same(&M::titleLabel)}},
      {kMenuPageSound,
       {Stepper("Effects Volume", 0, &Settings::effectsVolume, 0, kMaxVolume, &Volume,
                &OnEffectsVolumeStepped),
        Toggle("Music", 1, &Settings::music),
        Stepper("Music Volume", 2, &Settings::musicVolume, 0, kMaxVolume, &Volume)}},
      {kMenuPageControls,
       {Stepper("Mouse Sensitivity", 0, &Settings::mouseSensitivity, kMinSensitivity,
                kMaxSensitivity),
        Toggle("Invert Look", 1, &Settings::invertLook),
        Key("Thrust", 2, kBindThrust),
        Key("Back", 3, kBindBack),
        Key("Strafe Left", 4, kBindStrafeLeft),
        Key("Strafe Right", 5, kBindStrafeRight),
        Key("Fire", 6, kBindFire)}},
      {kMenuPagePlayer,
       {Text("Name", 0, &gPendingSettings.name, kMaxNameLength),
        Stepper("Ship Colour", 1, &Settings::shipColour, 0, kShipColours - 1, &Paint),
        Stepper("Round Length", 2, &Settings::roundSeconds, 1, kMaxRoundSeconds, &Seconds,
                nullptr, {30, 60, 120, 180, 300, 600, 900}),
        Toggle("Drones", 3, &Settings::drones)}},
      {kMenuPageMultiplayer,
       {Button("Host Game", kOptionsX, MainRow(0), kLarge, &OnHostGame),
        Text("Address", 2, &gJoinAddress, kMaxJoinAddressLength),
        Button("Join Game", kOptionsX, MainRow(3), kLarge, &OnJoinGame),
        Button("Main Menu", kOptionsX, MainRow(4), kLarge, &OnShowMainMenu),
        Same(&M::titleLabel)}},
      {kMenuPageQuit,
       {Label("Are you sure you want to quit?", -0.5f, 0.1f, kLarge, &M::quitQuestionLabel),
        Button("Yes", -0.2f, 0.0f, kBold, &OnQuitConfirmed, &M::yesButton),
        Button("No", 0.0f, 0.0f, kBold, &OnShowMainMenu, &M::noButton),
        Same(&M::titleLabel)}},
      // Help and About: lines in the video page's rows, "Main Menu" where
      // the options page has it.
      {kMenuPageHelp, HelpLines()},
      {kMenuPageAbout,
       {Label("Driftwing", kResultX, FineRow(0), kLarge),
        Value(&Version, kResultX, FineRow(2), kSmall),
        Label("Licence: MIT", kResultX, FineRow(3), kSmall),
        Same(&M::mainMenuButton),
        Same(&M::titleLabel)}},
      // Results: a round's tally, then "Play Again" and "Main Menu".
      {kMenuPageResults,
       {Label("Round Over", kResultX, 0.25f, kLarge),
        Label("Score", kResultX, ResultRow(0), kSmall),
        Value(&Tally<&PlayerTally::score>, kValueX, ResultRow(0), kSmall),
        Label("Shots", kResultX, ResultRow(1), kSmall),
        Value(&Tally<&PlayerTally::shots>, kValueX, ResultRow(1), kSmall),
        Label("Hits", kResultX, ResultRow(2), kSmall),
        Value(&Tally<&PlayerTally::hits>, kValueX, ResultRow(2), kSmall),
        Label("Accuracy", kResultX, ResultRow(3), kSmall),
        Value(&Accuracy, kValueX, ResultRow(3), kSmall),
        Label("Losses", kResultX, ResultRow(4), kSmall),
        Value(&Tally<&PlayerTally::losses>, kValueX, ResultRow(4), kSmall),
        Label("Best score", kResultX, ResultRow(5), kSmall),
        Value(&BestScore, kValueX, ResultRow(5), kSmall),
        Button("Play Again", kResultX, ResultRow(6) - 0.075f * 0.5f, kLarge, &OnPlayGame,
               &M::playAgainButton),
        Button("Main Menu", kValueX, ResultRow(6) - 0.075f * 0.5f, kLarge, &OnShowMainMenu,
               &M::resultsMainMenuButton),
        Same(&M::titleLabel)}},
  };
  // The settings pages end with "Accept Changes" and "Cancel", then the title.
  const struct {
    MenuPageId id;
    int row;
    MenuCallback accept;
  } settingsPages[] = {{kMenuPageSound, 4, &OnAcceptSound},
                       {kMenuPageControls, 8, &OnAcceptControls},
                       {kMenuPagePlayer, 5, &OnAcceptPlayer}};
  for (PageTable& page : pages) {
    if (page.id == kMenuPageHelp) {
      page.items.push_back(Same(&M::mainMenuButton));
      page.items.push_back(Same(&M::titleLabel));
    }
    for (const auto& settings : settingsPages) {
      if (page.id != settings.id) continue;
      for (Entry& entry : AcceptAndCancel(settings.row, settings.accept)) {
        page.items.push_back(std::move(entry));
      }
      page.items.push_back(Same(&M::titleLabel));
    }
  }
  return pages;
}

}  // namespace

bool MenuSystem::Build(std::string& error) {
  // A second build replaces every item: no page may keep the old ones.
  for (auto& page : pages_) page.second.Clear();
  items.clear();
  for (const PageTable& table : Pages()) {
    MenuPage& page = pages_[table.id];
    for (const Entry& entry : table.items) page.Append(entry(*this));
  }
  return background.Load("textures/menu_bg.bmp", false, error);
}

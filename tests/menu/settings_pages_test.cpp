#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/game.h"
#include "menu/menu_callbacks.h"
#include "menu/menu_setting_rows.h"
#include "menu/menu_system.h"
#include "platform/audio.h"
#include "settings/settings_store.h"
#include "tests/menu/menu_test_support.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"
#include "tests/support/temp_dir.h"

namespace {

// The settings pages as a player uses them: opened from the options page,
// rows clicked, keys pressed and names typed, then Accept or Cancel. The
// store writes into a folder of the test's own.
class SettingsPages : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    SetScreenSize(1024, 768);
    gMenuAction = kActionNone;
    gSettings = Settings{};
    std::vector<std::string> problems;
    LoadSettings(dir.File("settings.toml"), problems);
    menu = std::make_unique<MenuSystem>();
    menu->Build(error);
    gMenuPage = kMenuPageOptions;
  }
  void TearDown() override {
    gMenuPage = kMenuPageMain;
    gSettings = Settings{};
    gSettingsStore = SettingsStore{};
  }

  // The item of the current page whose text is `text`.
  MenuItem& Item(const std::string& text) {
    for (MenuItem* item : menu->CurrentPage()->Items()) {
      if (item->text == text) return *item;
    }
    ADD_FAILURE() << "no " << text << " on page " << gMenuPage;
    return *menu->titleLabel;
  }
  std::string Value(const std::string& text) {
    return static_cast<MenuSettingRow&>(Item(text)).ValueText();
  }
  // A click on an item: a press and its release within a frame.
  int32_t Click(const std::string& text, uint8_t button = SDL_BUTTON_LEFT) {
    const MenuMouseState at = PointerInside(Item(text));
    input.QueueButton(button, true, at.mouseX, at.mouseY);
    input.QueueButton(button, false, at.mouseX, at.mouseY);
    return menu->Update(status);
  }
  // A key pressed and released within a frame.
  int32_t Key(SDLKey key) {
    input.QueueKey(key, true);
    input.QueueKey(key, false);
    return menu->Update(status);
  }
  std::string FileText() {
    std::string text;
    if (FILE* f = std::fopen(dir.File("settings.toml").c_str(), "r")) {
      char buffer[4096];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
      std::fclose(f);
    }
    return text;
  }

  TempDir dir;
  FakeClock clock{1000, 1};
  FakeLetterMetrics letters{0.5f, 0.5f};
  ScriptedInput input;
  GameStatus status;
  std::unique_ptr<MenuSystem> menu;
  std::string error;
};

// Every page is reached from where it stands, shows its rows and goes back.
TEST_F(SettingsPages, EachPageOpensAndLeavesWithItsChangesDropped) {
  const struct {
    const char* button;
    int32_t page;
    const char* row;
  } pages[] = {{"Sound Options", kMenuPageSound, "Effects Volume"},
               {"Control Options", kMenuPageControls, "Mouse Sensitivity"},
               {"Player Options", kMenuPagePlayer, "Ship Colour"}};
  for (const auto& p : pages) {
    gMenuPage = kMenuPageOptions;
    Click(p.button);
    ASSERT_EQ(gMenuPage, p.page) << p.button;
    const std::string before = Value(p.row);
    Click(p.row);
    EXPECT_NE(Value(p.row), before) << p.row;
    Click("Cancel");
    EXPECT_EQ(gMenuPage, kMenuPageOptions);
    EXPECT_TRUE(gSettings == Settings{}) << p.button << " changed a setting on Cancel";
    Click(p.button);
    EXPECT_EQ(Value(p.row), before) << "the page kept a cancelled change";
  }
  EXPECT_EQ(FileText(), "") << "a file written without an Accept";
}

// A step up from the top wraps round to the bottom, and the right button
// steps down; a changed effects volume plays the sample at its volume, and
// only Accept tells the mixer.
TEST_F(SettingsPages, SoundStepsWrapAndAcceptTellsTheMixer) {
  Click("Sound Options");
  EXPECT_EQ(Value("Effects Volume"), "10 / 10");
  const unsigned played = platform::ChunksPlayed();
  Click("Effects Volume");
  EXPECT_EQ(Value("Effects Volume"), "Off");
  EXPECT_EQ(platform::ChunksPlayed(), played + 1) << "no sample sound";
  Click("Effects Volume", SDL_BUTTON_RIGHT);
  Click("Effects Volume", SDL_BUTTON_RIGHT);
  EXPECT_EQ(Value("Effects Volume"), "9 / 10");
  EXPECT_EQ(platform::MixerOrdersGiven().effectsVolume, MIX_MAX_VOLUME) << "applied before Accept";
  Click("Music");
  EXPECT_EQ(Value("Music"), "On");
  Click("Accept Changes");
  EXPECT_EQ(gMenuPage, kMenuPageOptions);
  EXPECT_EQ(gSettings.effectsVolume, 9);
  EXPECT_TRUE(gSettings.music);
  EXPECT_EQ(platform::MixerOrdersGiven().effectsVolume, 9 * MIX_MAX_VOLUME / 10);
  EXPECT_TRUE(platform::MixerOrdersGiven().musicOn);
  EXPECT_NE(FileText().find("effects_volume = 9"), std::string::npos) << FileText();
  // And off again.
  Click("Sound Options");
  Click("Music");
  Click("Accept Changes");
  EXPECT_FALSE(platform::MixerOrdersGiven().musicOn);
}

// A key binding waits for a key; a key bound elsewhere is swapped; Escape
// stops the wait and binds nothing, and does not resume the game; a mouse
// button binds too.
TEST_F(SettingsPages, KeysAreBoundSwappedAndEscapeStaysTheMenus) {
  status.inProgress = true;
  Click("Control Options");
  Click("Thrust");
  EXPECT_EQ(Value("Thrust"), "press a key");
  EXPECT_EQ(Key(SDLK_t), kActionNone);
  EXPECT_EQ(Value("Thrust"), "T");
  Click("Back");
  Key(SDLK_t);  // thrust's: the two swap
  EXPECT_EQ(Value("Back"), "T");
  EXPECT_EQ(Value("Thrust"), "S");
  Click("Strafe Left");
  EXPECT_EQ(Key(SDLK_ESCAPE), kActionNone) << "Escape resumed the game";
  EXPECT_EQ(Value("Strafe Left"), "A");
  EXPECT_EQ(gMenuPage, kMenuPageControls);
  // While it waits, a click anywhere is the button to bind.
  Click("Fire");
  const MenuMouseState elsewhere = PointerInside(Item("Cancel"));
  input.QueueButton(SDL_BUTTON_RIGHT, true, elsewhere.mouseX, elsewhere.mouseY);
  input.QueueButton(SDL_BUTTON_RIGHT, false, elsewhere.mouseX, elsewhere.mouseY);
  menu->Update(status);
  EXPECT_EQ(gMenuPage, kMenuPageControls) << "the click went on to Cancel";
  EXPECT_EQ(Value("Fire"), "Mouse Right");
  Click("Mouse Sensitivity");
  Click("Invert Look");
  EXPECT_EQ(gSettings.keys[kBindThrust], 'w') << "bound before Accept";
  Click("Accept Changes");
  EXPECT_EQ(gSettings.keys, (std::array<uint16_t, kBoundActionCount>{'s', 't', 'a', 'd',
                                                                     kBindMouseRight}));
  EXPECT_EQ(gSettings.mouseSensitivity, 6);
  EXPECT_TRUE(gSettings.invertLook);
  EXPECT_NE(FileText().find("back = 'T'"), std::string::npos) << FileText();
}

// The name is typed: printable characters, Backspace, at most 16; Escape puts the old one back; the colour and round step
// through their choices.
TEST_F(SettingsPages, TheNameIsTypedAndThePlayerRowsStep) {
  Click("Player Options");
  Click("Name");
  Key(SDLK_BACKSPACE);
  Key(SDLK_BACKSPACE);
  input.QueueKey(SDLK_a, true);
  menu->Update(status);
  EXPECT_EQ(Value("Name"), "Pila_");
  Key(SDLK_ESCAPE);
  EXPECT_EQ(Value("Name"), "Pilot");
  Click("Name");
  for (int i = 0; i < 5; ++i) Key(SDLK_BACKSPACE);
  for (int i = 0; i < 20; ++i) Key(SDLK_x);
  Key(SDLK_RETURN);
  EXPECT_EQ(Value("Name"), std::string(16, 'x'));
  Click("Ship Colour");
  EXPECT_EQ(Value("Ship Colour"), "Red");
  Click("Ship Colour", SDL_BUTTON_RIGHT);
  Click("Ship Colour", SDL_BUTTON_RIGHT);
  EXPECT_EQ(Value("Ship Colour"), "Orange");
  Click("Round Length");
  EXPECT_EQ(Value("Round Length"), "5 min");
  Click("Drones");
  Click("Accept Changes");
  EXPECT_EQ(gSettings.name, std::string(16, 'x'));
  EXPECT_EQ(gSettings.shipColour, 7);
  EXPECT_EQ(gSettings.roundSeconds, 300);
  EXPECT_FALSE(gSettings.drones);
  // A name typed away to nothing keeps the one in effect.
  Click("Player Options");
  Click("Name");
  for (int i = 0; i < 16; ++i) Key(SDLK_BACKSPACE);
  Key(SDLK_RETURN);
  Click("Accept Changes");
  EXPECT_EQ(gSettings.name, std::string(16, 'x'));
}

// What the command line set holds for the run and is never written; only
// what the player changed is.
TEST_F(SettingsPages, OnlyWhatThePlayerChangesIsWritten) {
  gSettings.roundSeconds = 30;  // --round 30
  gSettings.drones = false;     // --no-drones
  Click("Player Options");
  Click("Ship Colour");
  Click("Accept Changes");
  EXPECT_EQ(gSettings.roundSeconds, 30);
  EXPECT_EQ(gSettings.shipColour, 1);
  Settings saved;
  std::vector<std::string> problems;
  SettingsFile(dir.File("settings.toml")).Load(saved, problems);
  EXPECT_EQ(saved.shipColour, 1);
  EXPECT_EQ(saved.roundSeconds, 180);
  EXPECT_TRUE(saved.drones);
  // Accepting no change writes nothing.
  std::remove(dir.File("settings.toml").c_str());
  Click("Control Options");
  Click("Accept Changes");
  EXPECT_EQ(FileText(), "");
}

// Multiplayer, below Quit on the main page: Host, an address typed, Join.
TEST_F(SettingsPages, MultiplayerHostsAndJoinsTheAddressTyped) {
  gMenuPage = kMenuPageMain;
  ASSERT_EQ(menu->mainPage.Items().back(), menu->multiplayerButton.get());
  EXPECT_GT(menu->quitButton->boxBottom, menu->multiplayerButton->boxTop);
  Click("Multiplayer");
  ASSERT_EQ(gMenuPage, kMenuPageMultiplayer);
  EXPECT_EQ(Click("Host Game"), kActionHostGame);
  EXPECT_EQ(Value("Address"), "localhost");
  Click("Address");
  for (int i = 0; i < 9; ++i) Key(SDLK_BACKSPACE);
  for (SDLKey key : {SDLK_1, SDLK_0, SDLK_PERIOD, SDLK_0, SDLK_SEMICOLON}) Key(key);
  Key(SDLK_RETURN);
  EXPECT_EQ(Click("Join Game"), kActionJoinGame);
  EXPECT_EQ(gJoinAddress, "10.0;");
  Click("Main Menu");
  EXPECT_EQ(gMenuPage, kMenuPageMain);
  gJoinAddress = "localhost";
}

// The results page shows the tally it is given.
TEST_F(SettingsPages, TheResultsPageShowsTheRound) {
  PlayerTally tally;
  tally.score = 3;
  tally.shots = 8;
  tally.hits = 2;
  tally.losses = 1;
  menu->ShowResults(tally, 7);
  menu->Update(status);
  std::string shown;
  for (MenuItem* item : menu->resultsPage.Items()) shown += item->text + "|";
  EXPECT_NE(shown.find("Score|3|Shots|8|Hits|2|Accuracy|25 %|Losses|1|Best score|7|"),
            std::string::npos)
      << shown;
}

}  // namespace

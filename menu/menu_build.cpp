#include <memory>
#include <string>

#include "menu/menu_callbacks.h"
#include "menu/menu_system.h"

namespace {

constexpr float kRowStep = 0.1f;
constexpr float kVideoRowStep = 0.075f;

std::unique_ptr<MenuButton> Button(const char* text, float x, float y, MenuCallback callback) {
  return std::make_unique<MenuButton>(text, x, y, 0.1f, 0.1f, 0.05f, callback);
}

// A line of the help and about pages, in the video page's smaller letters.
std::unique_ptr<MenuLabel> Line(const std::string& text, float x, float y) {
  return std::make_unique<MenuLabel>(text.c_str(), x, y, 0.06f, 0.06f, 0.0375f);
}

// The controls, key and what it does, as they stand in the README.
constexpr const char* kControls[][2] = {
    {"Mouse", "look around"},
    {"W / S, Up / Down", "thrust"},
    {"A / D, Left / Right", "strafe and bank"},
    {"Left button", "fire a rocket"},
    {"Escape", "this menu"},
};

}  // namespace

bool MenuSystem::Build(std::string& error) {
  // A second build replaces every item: no page may keep the old ones.
  mainPage.Clear();
  optionsPage.Clear();
  videoPage.Clear();
  quitPage.Clear();

  titleLabel = std::make_unique<MenuLabel>("(insert title here)", -0.3f, 0.4f, 0.1f, 0.1f, 0.1f);
  // Rows step down from 0.225 by repeated single-precision subtraction.
  float x = -0.15f;
  float y = 0.225f;
  resumeButton = Button("Resume Game", x, y, &OnResumeGame);
  y -= kRowStep;
  playButton = Button("Play Game", x, y, &OnPlayGame);
  endGameButton = Button("End Game", x, y, &OnEndGame);
  endGameButton->visible = false;
  y -= kRowStep;
  optionsButton = Button("Options", x, y, &OnShowOptions);
  y -= kRowStep;
  helpButton = Button("Help", x, y, &OnShowHelp);
  y -= kRowStep;
  aboutButton = Button("About", x, y, &OnShowAbout);
  y -= kRowStep;
  quitButton = Button("Quit", x, y, &OnShowQuitPage);
  mainPage.Append(titleLabel.get());
  mainPage.Append(endGameButton.get());
  mainPage.Append(resumeButton.get());
  mainPage.Append(playButton.get());
  mainPage.Append(optionsButton.get());
  mainPage.Append(helpButton.get());
  mainPage.Append(aboutButton.get());
  mainPage.Append(quitButton.get());

  x = -0.2f;
  y = 0.225f;
  videoOptionsButton = Button("Video Options", x, y, &OnShowVideoOptions);
  y -= kRowStep;
  soundOptionsButton = Button("Sound Options", x, y, &OnNothing);
  y -= kRowStep;
  controlOptionsButton = Button("Control Options", x, y, &OnNothing);
  y -= kRowStep;
  playerOptionsButton = Button("Player Options", x, y, &OnNothing);
  y -= kRowStep;
  mainMenuButton = Button("Main Menu", x, y, &OnShowMainMenu);
  optionsPage.Append(videoOptionsButton.get());
  optionsPage.Append(soundOptionsButton.get());
  optionsPage.Append(controlOptionsButton.get());
  optionsPage.Append(playerOptionsButton.get());
  optionsPage.Append(mainMenuButton.get());
  optionsPage.Append(titleLabel.get());

  y = 0.225f;
  resolutionButton = Button("Resolution", -0.45f, y, &OnChooseResolution);
  resolutionLabel = std::make_unique<MenuLabel>("1024 x 768", 0.1f, y, 0.1f, 0.1f, 0.05f);
  y -= kVideoRowStep;
  y -= kVideoRowStep;
  acceptButton = std::make_unique<MenuButton>("Accept Changes", -0.2f, y, 0.06f, 0.06f, 0.0375f,
                                              &OnAcceptChanges);
  y -= kVideoRowStep;
  cancelButton =
      std::make_unique<MenuButton>("Cancel", -0.2f, y, 0.056f, 0.06f, 0.0375f, &OnCancelVideo);
  videoPage.Append(resolutionButton.get());
  videoPage.Append(resolutionLabel.get());
  videoPage.Append(acceptButton.get());
  videoPage.Append(cancelButton.get());
  videoPage.Append(titleLabel.get());

  quitQuestionLabel =
      std::make_unique<MenuLabel>("Are you sure you want to quit?", -0.5f, 0.1f, 0.1f, 0.1f, 0.05f);
  yesButton = std::make_unique<MenuButton>("Yes", -0.2f, 0.0f, 0.1f, 0.1f, 0.1f, &OnQuitConfirmed);
  noButton = std::make_unique<MenuButton>("No", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &OnShowMainMenu);
  quitPage.Append(quitQuestionLabel.get());
  quitPage.Append(yesButton.get());
  quitPage.Append(noButton.get());
  quitPage.Append(titleLabel.get());

  // Help and About: lines in the video page's rows, "Main Menu" where the
  // options page has it.
  helpPage.Clear();
  aboutPage.Clear();
  helpLines.clear();
  aboutLines.clear();
  y = 0.225f;
  for (const auto& control : kControls) {
    helpLines.push_back(Line(control[0], -0.6f, y));
    helpLines.push_back(Line(control[1], 0.1f, y));
    y -= kVideoRowStep;
  }
  y = 0.225f;
  aboutLines.push_back(std::make_unique<MenuLabel>("Driftwing", -0.45f, y, 0.1f, 0.1f, 0.05f));
  y -= kVideoRowStep;
  y -= kVideoRowStep;
  aboutLines.push_back(Line(std::string("Version ") + DRIFTWING_VERSION, -0.45f, y));
  y -= kVideoRowStep;
  aboutLines.push_back(Line("Licence: MIT", -0.45f, y));
  for (const auto& line : helpLines) helpPage.Append(line.get());
  helpPage.Append(mainMenuButton.get());
  helpPage.Append(titleLabel.get());
  for (const auto& line : aboutLines) aboutPage.Append(line.get());
  aboutPage.Append(mainMenuButton.get());
  aboutPage.Append(titleLabel.get());

  // Results: a round's tally, in the help page's rows, then "Play Again"
  // and "Main Menu".
  resultsPage.Clear();
  resultLines.clear();
  resultValues.clear();
  y = 0.25f;
  resultLines.push_back(std::make_unique<MenuLabel>("Round Over", -0.45f, y, 0.1f, 0.1f, 0.05f));
  y -= kRowStep;
  for (const char* name : {"Score", "Shots", "Hits", "Accuracy", "Losses", "Best score"}) {
    resultLines.push_back(Line(name, -0.45f, y));
    resultLines.push_back(Line("0", 0.1f, y));
    resultValues.push_back(resultLines.back().get());
    y -= kVideoRowStep;
  }
  y -= kVideoRowStep * 0.5f;
  playAgainButton = Button("Play Again", -0.45f, y, &OnPlayGame);
  resultsMainMenuButton = Button("Main Menu", 0.1f, y, &OnShowMainMenu);
  for (const auto& line : resultLines) resultsPage.Append(line.get());
  resultsPage.Append(playAgainButton.get());
  resultsPage.Append(resultsMainMenuButton.get());
  resultsPage.Append(titleLabel.get());

  return background.Load("textures/menu_bg.bmp", false, error);
}

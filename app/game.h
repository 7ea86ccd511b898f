#pragma once
#include <SDL_mixer.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/camera.h"
#include "app/game_status.h"
#include "app/net_session.h"
#include "assets/texture.h"
#include "menu/menu_system.h"
#include "text/fonts.h"
#include "world/round.h"
#include "world/world.h"

enum GameState : int32_t {
  kStateMenu = 1,
  kStatePlaying = 2,
  kStateQuit = 3,
};

enum MenuAction : int32_t {
  kActionNone = 0,
  kActionResume = 1,
  kActionPlay = 2,
  kActionEndGame = 3,
  kActionApplyVideo = 4,
  kActionQuit = 5,
  kActionHostGame = 6,  // the Multiplayer page's "Host Game"
  kActionJoinGame = 7,  // its "Join Game": the address is in gJoinAddress
};

constexpr int kLevelMaterialCount = 6;

// Opens the sound device and the mixer; false, after one line saying the game
// plays without sound, when there is none.
bool OpenSound();

// The application: owns the menu, the camera, the world and the level
// materials, and runs the one frame loop.
class Game {
 public:
  Game();

  // Start-up, then frames until the player quits. False when start-up
  // failed (the reason has been printed); true after a clean quit.
  bool Run();

  bool Startup();
  // The frame loop of Run, after start-up: the clock read as the loop begins,
  // then one pass per frame, false once the player has quit (or a replayed
  // demo has run out).
  void StartLoop();
  bool LoopPass();
  void ShowLoadingScreen();
  bool LoadAssets();
  // The two sound chunks; none without a sound device.
  bool LoadSounds();
  // The textures the loaded level's materials name, and the clouds. False,
  // with the reason in `error`, at the first that cannot be loaded.
  bool LoadLevelTextures(std::string& error);

  // Reads the clock for a frame beginning at `now`: returns the capped frame
  // time in seconds and refreshes the frame-rate sample.
  float BeginFrame(uint32_t now);
  // Runs one frame of the current state.
  void RunFrame(float dt);

  void MenuFrame(float dt);
  // What the game does with the action a menu frame returned.
  void ApplyMenuAction(int32_t action);
  void PlayFrame(float dt);
  void StartGame();
  void EnterPlay();
  void HandleInput(float dt);
  // Drops the events gathered in the menu (keeping a quit request) and puts
  // the pointer back at the centre, so play starts looking where it left off.
  void RecentrePointer();
  // The HUD's font at the size the screen's height asks for; the old one
  // stays when it cannot be built.
  bool BuildHudFont(std::string& error);
  void DrawHud();
  // The ship this game's player flies: the world's first entity.
  class PlayerShip* LocalShip();
  // Where the view is: in the ship, or falling back from its wreck.
  static Vector3 ViewPoint(const class PlayerShip& ship);
  // The round's time is up: play stops and the menu shows the results.
  void EndRound();

  // Network play: hosts a game on the level (`hosting`), or joins the game
  // at `address` (HOST or HOST:PORT), and enters play.
  void StartNetGame(bool hosting, const std::string& address);
  // Runs the network game's due ticks with `command`; false when it ended.
  bool StepNetGame(const ShipCommand& command);
  // Leaves the network game; `why`, when not empty, is told in the menu.
  void EndNetGame(const std::string& why);
  // A network round's end: the results page, the game going on behind it.
  void ShowNetResults();
  void SetProjection(int width, int height);

  GameState state;
  GameStatus status;
  MenuSystem menu;
  Camera camera;
  World world;
  Material materials[kLevelMaterialCount];
  bool soundOn = false;  // a sound device was opened
  uint32_t hudFont = 0;
  int hudFontHeight = 0;
  float hudAdvances[kFontGlyphCount] = {};
  uint32_t titleFont = 0;
  float fps = 0.0f;
  uint32_t lastFrameTicks = 0;
  uint32_t lastFpsTicks = 0;
  float inputTimer = 0.0f;
  int32_t mouseX = 0;
  int32_t mouseY = 0;
  uint32_t mouseButtons = 0;
  Round round;
  int32_t bestScore = 0;  // the best round's score since the game started
  std::unique_ptr<NetSession> net;  // while a network game is played

 private:
  bool quit = false;
};

// A hash of what a replay must reproduce: each entity's kind, position and
// velocity, and the camera's position and angles.
uint64_t WorldStateHash(const World& world, const Camera& camera);

// Frees the sounds and the music a start-up loaded, the music stopped
// first. The game keeps them for its whole run; a program that starts
// games one after another lets each one's go.
void ReleaseSounds();

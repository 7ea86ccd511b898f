#include "app/game.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/game_input.h"
#include "app/options.h"
#include "app/video.h"
#include "app/world_sounds.h"
#include "demo/demo_session.h"
#include "menu/menu_callbacks.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "text/fonts.h"
#include "world/player_ship.h"
#include "world/world_hash.h"

namespace {

// How the view leaves a wrecked ship over the seconds it lies there.
constexpr float kFallBack = 40.0f;
constexpr float kRiseOverWreck = 25.0f;

}  // namespace

Game::Game() {}

bool Game::Run() {
  if (!Startup()) return false;
  StartLoop();
  if (gOptions.host) {
    StartNetGame(true, "");
  } else if (!gOptions.connect.empty()) {
    StartNetGame(false, gOptions.connect);
  }
  while (LoopPass()) {
  }
  DeleteFont(hudFont);
  return true;
}

void Game::StartLoop() {
  lastFrameTicks = platform::Ticks();
  fps = 0.0f;
  lastFpsTicks = platform::Ticks();
  state = kStateMenu;
}

bool Game::LoopPass() {
  if (quit || !DemoFrameBegins()) return false;
  uint32_t now = platform::Ticks();
  RunFrame(BeginFrame(now));
  platform::SpinUntil(now + 1);
  return true;
}

float Game::BeginFrame(uint32_t now) {
  uint32_t elapsedMs = now - lastFrameTicks;
  float dt = static_cast<float>(elapsedMs) * 0.001f;
  lastFrameTicks = now;
  // Differences of tick counts stay right across the counter's wrap.
  if (now - lastFpsTicks > 500) {
    lastFpsTicks = now;
    fps = 1000.0f / static_cast<float>(elapsedMs);
  }
  if (dt > 0.02f) dt = 0.02f;
  return dt;
}

void Game::RunFrame(float dt) {
  switch (state) {
    case kStateMenu:
      MenuFrame(dt);
      break;
    case kStatePlaying:
      PlayFrame(dt);
      break;
    case kStateQuit:
      quit = true;
      break;
  }
}

void Game::MenuFrame(float) {
  // A network game goes on while its player is in the menu.
  if (net) {
    ShipCommand idle;
    idle.pitch = camera.pitch;
    idle.yaw = camera.yaw;
    if (StepNetGame(idle)) {
      world.events.clear();
      if (net->TakeRoundOver()) ShowNetResults();
    }
  }
  int32_t action = menu.Update(status);
  ApplyStandardLight();
  ApplyMenuAction(action);
}

void Game::ApplyMenuAction(int32_t action) {
  switch (action) {
    case kActionResume:
      EnterPlay();
      break;
    case kActionPlay:
      // "Play Again" after a network round: back to the game, which goes on.
      if (net) {
        EnterPlay();
      } else {
        StartGame();
      }
      break;
    case kActionEndGame:
      if (net) {
        EndNetGame("");
        break;
      }
      world.Clear();
      status.inProgress = false;
      break;
    case kActionHostGame:
      StartNetGame(true, "");
      break;
    case kActionJoinGame:
      StartNetGame(false, gJoinAddress);
      break;
    case kActionApplyVideo: {
      SetProjection(gScreenWidth, gScreenHeight);
      std::string error;
      if (!BuildHudFont(error)) {
        std::fprintf(stderr, "driftwing: the HUD keeps its old font: %s\n", error.c_str());
      }
      break;
    }
    case kActionQuit:
      state = kStateQuit;
      break;
    default:
      break;
  }
}

void Game::StartGame() {
  if (status.inProgress) return;
  // Before the level is loaded or restarted: it places the drones.
  world.dronesPlay = gSettings.drones;
  if (world.loaded) {
    // A finished round's level, kept: play it again from its start.
    world.Restart();
    world.random.Seed(lastFrameTicks);
  } else {
    ShowLoadingScreen();
    // A level that cannot be played leaves no game in progress, so the menu
    // keeps offering "Play Game" rather than a game that cannot be resumed.
    std::string error;
    if (!world.Load("map.wrl", error)) {
      std::fprintf(stderr, "driftwing: cannot load the level %s\n", error.c_str());
      return;
    }
    if (!LoadLevelTextures(error)) {
      std::fprintf(stderr, "driftwing: %s\n", error.c_str());
      world.Clear();
      return;
    }
    // Seeded from the clock this frame already read, so a demo replays the
    // round's every choice without reading the clock once more.
    world.random.Seed(lastFrameTicks);
  }
  status.inProgress = true;
  // A new game starts looking level, whatever the last one looked at;
  // resuming keeps the view.
  camera.ResetAngles();
  round.Start(static_cast<float>(gSettings.roundSeconds));
  EnterPlay();
}

void Game::EnterPlay() {
  if (!world.loaded) return;
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  ApplyStandardLight();
  CapturePointer(true);
  SetProjection(gScreenWidth, gScreenHeight);
  state = kStatePlaying;
  // The Escape that resumed must not leave play again at once, and the
  // pointer's travels in the menu must not turn the view.
  IgnoreHeldKeys();
  RecentrePointer();
}

void Game::PlayFrame(float dt) {
  inputTimer += dt;
  // The ship steers by the view the last frame drew.
  ShipCommand command;
  command.pitch = camera.pitch;
  command.yaw = camera.yaw;
  HandleInput(dt);
  command.controls = ControlsHeld(platform::KeyState(), gInput.buttons, gSettings);
  if (net) {
    if (!StepNetGame(command)) return;
  } else {
    if (PlayerShip* ship = LocalShip()) ship->command = command;
    world.Update(dt);
    round.Count(world.events);
    round.Advance(dt);
  }
  if (PlayerShip* ship = LocalShip()) {
    camera.position = ViewPoint(*ship);
    if (net) camera.position += net->ViewCorrection();
    camera.roll = ship->bank;
  }
  PlayWorldSounds(world.events);
  glLoadIdentity();
  camera.Apply();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  world.Draw(materials, dt);
  if (net) net->DrawRemote();
  glClear(GL_STENCIL_BUFFER_BIT);
  DrawHud();
  glFlush();
  SDL_GL_SwapBuffers();
  if (net) {
    if (net->TakeRoundOver()) ShowNetResults();
  } else if (round.Over() && state == kStatePlaying) {
    EndRound();
  }
}

Vector3 Game::ViewPoint(const PlayerShip& ship) {
  if (!ship.Wrecked()) return ship.eye;
  // The view falls back from the wreck and rises over it.
  const float t = std::min(ship.wreckTime / PlayerShip::kWreckSeconds, 1.0f);
  return ship.eye - ship.forward * (kFallBack * t) + Vector3(0.0f, kRiseOverWreck * t, 0.0f);
}

void Game::EndRound() {
  const PlayerTally tally = round.Tally(0);
  bestScore = std::max(bestScore, tally.score);
  std::printf("round over: score %d, shots %d, hits %d, accuracy %d %%, losses %d; best score %d\n",
              tally.score, tally.shots, tally.hits, tally.Accuracy(), tally.losses, bestScore);
  std::fflush(stdout);
  status.inProgress = false;
  state = kStateMenu;
  CapturePointer(false);
  IgnoreHeldKeys();
  menu.ShowResults(tally, bestScore);
}

PlayerShip* Game::LocalShip() {
  if (world.entities.empty() || world.entities.front()->kind != kKindPlayerShip) return nullptr;
  return static_cast<PlayerShip*>(world.entities.front());
}

void Game::SetProjection(int width, int height) { SetPerspective(width, height, 10000.0); }

uint64_t WorldStateHash(const World& world, const Camera& camera) {
  Fnv1a h;
  AddWorld(h, world);
  h.Add(camera.position);
  h.Add(camera.pitch);
  h.Add(camera.yaw);
  h.Add(camera.roll);
  return h.Value();
}

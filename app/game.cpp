#include "app/game.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <string>

#include "app/demo.h"
#include "app/fonts.h"
#include "app/input.h"
#include "app/video.h"
#include "platform/clock.h"

Game::Game() {}

bool Game::Run() {
  if (!Startup()) return false;
  StartLoop();
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
      StartGame();
      break;
    case kActionEndGame:
      world.Clear();
      status.inProgress = false;
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
  if (!world.loaded) {
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
  }
  status.inProgress = true;
  // A new game starts looking level, whatever the last one looked at;
  // resuming keeps the view.
  camera.ResetAngles();
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
  HandleInput(dt);
  world.Update(dt);
  glLoadIdentity();
  camera.Apply();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  world.Draw(materials, dt);
  glClear(GL_STENCIL_BUFFER_BIT);
  DrawHud();
  glFlush();
  SDL_GL_SwapBuffers();
}

void Game::SetProjection(int width, int height) { SetPerspective(width, height, 10000.0); }

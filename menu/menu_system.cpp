#include "menu/menu_system.h"

#include <SDL.h>

#include <string>

#include "app/game.h"
#include "app/game_input.h"
#include "app/video.h"
#include "menu/menu_callbacks.h"
#include "platform/clock.h"
#include "platform/input.h"

namespace {

constexpr uint32_t kEscapePauseMs = 200;

}  // namespace

MenuSystem::MenuSystem() {
  lastTicks = platform::Ticks();
  gPendingWidth = gScreenWidth;
  gPendingHeight = gScreenHeight;
}

bool MenuSystem::LoadShipMaterial(std::string& error) {
  return material.Load("textures/concrete0.bmp", true, error);
}

int32_t MenuSystem::Update(const GameStatus& status) {
  SetGameInProgress(status.inProgress);
  gMenuAction = kActionNone;
  HandleInput();
  // Values shown, as the label beside "Resolution" shows the size "Accept
  // Changes" would set.
  if (MenuPage* page = CurrentPage()) page->Refresh();
  Draw();
  return gMenuAction;
}

void MenuSystem::SetGameInProgress(bool inProgress) {
  gameInProgress = inProgress;
  if (!playButton) return;  // not built
  resumeButton->visible = gameInProgress;
  endGameButton->visible = gameInProgress;
  playButton->visible = !gameInProgress;
}

namespace {

uint32_t MenuButtonBit(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT:
      return kMenuLeftButton;
    case SDL_BUTTON_RIGHT:
      return kMenuRightButton;
    case SDL_BUTTON_MIDDLE:
      return kMenuMiddleButton;
    default:
      return 0;
  }
}

}  // namespace

void MenuSystem::HandleInput() {
  const uint8_t* keys = platform::KeyState();
  mouse.buttons = 0;
  bool escapeEvent = false;
  // A press this frame, though maybe released already: a click where it was
  // pressed, wherever the pointer went after.
  MenuMouseState press;
  MenuPage* page = CurrentPage();
  // A row waiting for a key or taking typed text sees every event first;
  // an Escape it takes neither resumes the game nor leaves the page.
  MenuItem* focus = page ? page->Focused() : nullptr;
  SDL_Event event;
  while (platform::PollEvent(&event)) {
    if (focus && focus->TakeEvent(event)) {
      if (!focus->Focused()) {
        focus = nullptr;
        IgnoreHeldKeys();
      }
      continue;
    }
    if (focus && !focus->Focused()) focus = nullptr;
    if (event.type == SDL_MOUSEMOTION) {
      mouse.mouseX = event.motion.x;
      mouse.mouseY = event.motion.y;
    } else if (event.type == SDL_MOUSEBUTTONDOWN && !ignoreQueuedPresses && press.buttons == 0) {
      press.mouseX = event.button.x;
      press.mouseY = event.button.y;
      press.buttons = MenuButtonBit(event.button.button);
      mouse.mouseX = press.mouseX;
      mouse.mouseY = press.mouseY;
    } else if (event.type == SDL_QUIT) {
      gMenuAction = kActionQuit;
    }
    if (KeyEventPressed(event, SDLK_ESCAPE)) escapeEvent = true;
  }
  ignoreQueuedPresses = false;
  const uint8_t held = platform::MouseState(nullptr, nullptr);
  if (held & SDL_BUTTON(SDL_BUTTON_LEFT)) mouse.buttons |= kMenuLeftButton;
  if (held & SDL_BUTTON(SDL_BUTTON_RIGHT)) mouse.buttons |= kMenuRightButton;
  if (held & SDL_BUTTON(SDL_BUTTON_MIDDLE)) mouse.buttons |= kMenuMiddleButton;

  const bool escape = KeyPressed(keys, SDLK_ESCAPE) || escapeEvent;
  if (escape && gameInProgress && !focus) {
    gMenuAction = kActionResume;
    platform::SpinUntil(platform::Ticks() + kEscapePauseMs);
  }
  if (page == nullptr || (focus && !focus->LetsPageClick())) return;
  if (press.buttons != 0) {
    press.buttons |= mouse.buttons;
    page->HandleInput(press);
  } else {
    page->HandleInput(mouse);
  }
}

void MenuSystem::ShowNotice(const std::string& text) {
  constexpr uint32_t kNoticeMs = 10000;
  notice = std::make_unique<MenuLabel>(text.c_str(), -0.6f, 0.31f, 0.045f, 0.045f, 0.03f);
  noticeUntil = platform::Ticks() + kNoticeMs;
}

void MenuSystem::ShowResults(const PlayerTally& tally, int32_t bestScore) {
  gShownTally = tally;
  gShownBestScore = bestScore;
  gMenuPage = kMenuPageResults;
}

MenuPage* MenuSystem::CurrentPage() {
  auto page = pages_.find(gMenuPage);
  return page == pages_.end() ? nullptr : &page->second;
}

void MenuSystem::TurnShip() {
  const uint32_t now = platform::Ticks();
  float dt = static_cast<float>(now - lastTicks) * 0.001f;
  lastTicks = now;
  if (dt < 0.01f) dt = 0.01f;
  shipAngle += 20.0f * dt;
  if (shipAngle >= 360.0f) shipAngle = 0.0f;
}

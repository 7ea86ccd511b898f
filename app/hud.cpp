#include "app/game.h"

void Game::DrawHud() {}

#include "app/game.h"

void Game::HandleInput(float) {}

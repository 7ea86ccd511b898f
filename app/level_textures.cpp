#include "app/game.h"

bool Game::LoadLevelTextures() { return false; }

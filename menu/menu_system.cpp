#include "menu/menu_system.h"

bool MenuSystem::Build() { return true; }

int32_t MenuSystem::Update(const GameStatus&) { return 0; }

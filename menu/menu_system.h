#pragma once
#include <cstdint>

#include "app/game_status.h"

// Placeholder until the menu lands: no pages, returns no action.
class MenuSystem {
 public:
  bool Build();
  int32_t Update(const GameStatus& status);
};

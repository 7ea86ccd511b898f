#pragma once

// What the menu needs to know of the game.
struct GameStatus {
  bool inProgress = false;
};

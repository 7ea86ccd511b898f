#pragma once
#include <cstdint>
#include <vector>

#include "world/world_events.h"

// One player's tally in a round.
struct PlayerTally {
  int32_t score = 0;   // drones destroyed, and other players' ships
  int32_t shots = 0;   // rockets fired
  int32_t hits = 0;    // rockets that hurt a ship or a drone
  int32_t losses = 0;  // times the player's ship was wrecked

  // Hits per shot, in whole percent; 0 without a shot.
  int32_t Accuracy() const;
};

// A timed round. Its clock runs with the world's steps, so it stands still
// while the menu is shown; its tallies follow the world's events.
class Round {
 public:
  static constexpr float kDefaultSeconds = 180.0f;

  // A fresh round of `seconds`, every tally at 0.
  void Start(float seconds);
  void Advance(float dt);
  void Count(const WorldEvents& events);

  bool Over() const { return elapsed_ >= length_; }
  float TimeLeft() const { return Over() ? 0.0f : length_ - elapsed_; }
  float Length() const { return length_; }
  // The tally of player `player` (0 or more), made on first use.
  PlayerTally& Tally(int32_t player);
  const std::vector<PlayerTally>& Tallies() const { return tallies_; }

 private:
  float length_ = kDefaultSeconds;
  float elapsed_ = 0.0f;
  std::vector<PlayerTally> tallies_;
};

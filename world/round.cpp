#include "world/round.h"

int32_t PlayerTally::Accuracy() const {
  if (shots <= 0) return 0;
  return static_cast<int32_t>((static_cast<int64_t>(hits) * 100 + shots / 2) / shots);
}

void Round::Start(float seconds) {
  length_ = seconds;
  elapsed_ = 0.0f;
  tallies_.clear();
}

void Round::Advance(float dt) {
  if (dt > 0.0f) elapsed_ += dt;
}

PlayerTally& Round::Tally(int32_t player) {
  if (player < 0) player = 0;
  if (static_cast<size_t>(player) >= tallies_.size()) tallies_.resize(static_cast<size_t>(player) + 1);
  return tallies_[static_cast<size_t>(player)];
}

void Round::Count(const WorldEvents& events) {
  for (const WorldEvent& event : events) {
    // Only what players did counts; the drones keep no score.
    switch (event.kind) {
      case WorldEventKind::kRocketLaunched:
        if (event.shooter >= 0) ++Tally(event.shooter).shots;
        break;
      case WorldEventKind::kHit:
        if (event.shooter >= 0) ++Tally(event.shooter).hits;
        break;
      case WorldEventKind::kDroneDestroyed:
        if (event.shooter >= 0) ++Tally(event.shooter).score;
        break;
      case WorldEventKind::kShipDestroyed:
        if (event.target >= 0) ++Tally(event.target).losses;
        if (event.shooter >= 0 && event.shooter != event.target) ++Tally(event.shooter).score;
        break;
      default:
        break;
    }
  }
}

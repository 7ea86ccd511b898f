#pragma once
#include <cstdint>
#include <string>

#include "world/random.h"
#include "world/ship_command.h"

namespace net {

// A pilot that needs no window, for tests and load: a script of commands
// drawn from a seeded generator. It first holds still, looking straight
// ahead as its ship was placed, and fires; then it wanders: turning, looking
// up and down, driving and strafing, firing now and then.
class BotPilot {
 public:
  static constexpr int kOpeningTicks = 180;

  explicit BotPilot(uint32_t seed) : random_(seed) {}
  // The command for the next tick.
  ShipCommand Next();

 private:
  void NewPhase();

  WorldRandom random_;
  int tick_ = 0;
  int phaseLeft_ = 0;
  float yawRate_ = 0.0f;  // degrees a tick
  ShipCommand command_;
};

struct BotOptions {
  std::string host;
  uint16_t port = 0;
  uint32_t seed = 1;
  std::string name = "Bot";
};

// Plays a network game with no window until the server lets it go or the
// process is told to stop; returns the exit status.
int RunBot(const BotOptions& options);

}  // namespace net

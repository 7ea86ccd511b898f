#include "net/bot.h"

#include <csignal>
#include <cstdio>

#include "net/client.h"

namespace net {
namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int) { gStop = 1; }

}  // namespace

void BotPilot::NewPhase() {
  phaseLeft_ = kTickRate + static_cast<int>(random_.Below(2 * kTickRate));
  yawRate_ = random_.Signed() * 1.2f;
  command_.pitch = 5.0f + random_.Signed() * 15.0f;
  uint8_t controls = 0;
  if (random_.Below(3) != 0) controls |= kControlThrust;
  if (random_.Below(4) == 0) controls |= random_.Below(2) ? kControlStrafeLeft : kControlStrafeRight;
  if (random_.Below(5) < 3) controls |= kControlFire;
  command_.controls = controls;
}

ShipCommand BotPilot::Next() {
  if (tick_++ < kOpeningTicks) {
    ShipCommand opening;
    opening.controls = kControlFire;
    return opening;
  }
  if (phaseLeft_-- <= 0) NewPhase();
  command_.yaw += yawRate_;
  return command_;
}

int RunBot(const BotOptions& options) {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  GameClient client;
  std::string error;
  if (!client.Connect(options.host, options.port, options.name, 0, 0, error)) {
    std::fprintf(stderr, "driftwing: bot: %s\n", error.c_str());
    return 1;
  }
  BotPilot pilot(options.seed);
  const uint32_t start = enet_time_get();
  uint32_t ticks = 0;
  bool playing = false;
  while (!gStop) {
    // One command a tick, on the tick's time; between them, what arrives.
    const uint32_t due = start + ticks * 1000 / kTickRate;
    const uint32_t now = enet_time_get();
    std::string why;
    if (!client.Receive(due > now ? due - now : 0, why)) {
      std::fprintf(stderr, "driftwing: bot: %s\n", why.c_str());
      return playing ? 0 : 1;
    }
    if (enet_time_get() < due) continue;
    ++ticks;
    if (client.GetState() != GameClient::State::kPlaying) continue;
    if (!playing) {
      playing = true;
      std::fprintf(stderr, "driftwing: bot: playing as player %d\n", client.Player());
    }
    client.SendCommand(pilot.Next());
  }
  client.Leave();
  return 0;
}

}  // namespace net

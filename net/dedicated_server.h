#pragma once
#include <cstdint>
#include <string>

#include "net/protocol.h"
#include "world/round.h"

namespace net {

struct DedicatedOptions {
  uint16_t port = kDefaultPort;
  float roundSeconds = Round::kDefaultSeconds;
  bool dronesPlay = true;
  std::string recordPath;  // records the game here, when given
};

// Runs a server with no window and no sound, on the working directory's
// "map.wrl", until SIGINT or SIGTERM; prints a line a minute with its
// players and traffic, and, when asked, records the game for an exact
// replay. Returns the exit status.
int RunDedicatedServer(const DedicatedOptions& options);

}  // namespace net

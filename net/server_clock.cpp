#include "net/server_clock.h"

#include "net/protocol.h"
#include "platform/clock.h"

namespace net {
namespace {

uint32_t gTick = 0;

uint32_t ServerTicks() { return 1000u + gTick * 1000u / kTickRate; }

}  // namespace

void UseServerClock() { platform::SetTickSource(&ServerTicks); }

void SetServerTick(uint32_t tick) { gTick = tick; }

}  // namespace net

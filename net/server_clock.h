#pragma once
#include <cstdint>

namespace net {

// A server's world reads its clock as its tick count, so that what it does
// depends on the commands it was given and on nothing else: a recorded
// game replays exactly.
void UseServerClock();
void SetServerTick(uint32_t tick);

}  // namespace net

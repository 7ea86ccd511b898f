#include "app/world_sounds.h"

#include "assets/static_assets.h"
#include "platform/audio.h"

namespace {

// The launch and the burst share a mixer channel: each cuts the other.
constexpr int kRocketChannel = 2;

}  // namespace

void PlayWorldSounds(WorldEvents& events) {
  for (const WorldEvent& event : events) {
    switch (event.kind) {
      case WorldEventKind::kRocketLaunched:
        platform::PlayChunk(kRocketChannel, gRocketSound);
        break;
      case WorldEventKind::kExplosion:
        platform::PlayChunk(kRocketChannel, gExplosionSound);
        break;
      default:
        break;
    }
  }
  events.clear();
}

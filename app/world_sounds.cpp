#include "app/world_sounds.h"

#include "assets/static_assets.h"
#include "platform/audio.h"

namespace {

// The player's launch and a burst share a mixer channel: each cuts the
// other. The drones' launches, hits and wrecks have channels of their own.
constexpr int kRocketChannel = 2;
constexpr int kDroneChannel = 3;
constexpr int kHitChannel = 4;
constexpr int kWreckChannel = 5;

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
      case WorldEventKind::kDroneFired:
        platform::PlayChunk(kDroneChannel, gDroneLaunchSound);
        break;
      case WorldEventKind::kHit:
        platform::PlayChunk(kHitChannel, gHitSound);
        break;
      case WorldEventKind::kDroneDestroyed:
      case WorldEventKind::kShipDestroyed:
        platform::PlayChunk(kWreckChannel, gExplosionSound);
        break;
      case WorldEventKind::kShipRespawned:
        break;
    }
  }
  events.clear();
}

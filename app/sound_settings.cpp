#include "app/sound_settings.h"

#include "assets/static_assets.h"
#include "platform/audio.h"

Mix_Music* gMusicTrack = nullptr;

namespace {

// A channel of its own, so the sample's volume is no one else's.
constexpr int kSampleChannel = 6;

}  // namespace

int MixerVolume(int setting) {
  if (setting <= 0) return 0;
  if (setting >= kMaxVolume) return MIX_MAX_VOLUME;
  return setting * MIX_MAX_VOLUME / kMaxVolume;
}

void ApplySoundSettings(const Settings& settings) {
  platform::SetEffectsVolume(MixerVolume(settings.effectsVolume));
  platform::SetMusicVolume(MixerVolume(settings.musicVolume));
  if (settings.music) {
    platform::PlayMusic(gMusicTrack);
  } else {
    platform::StopMusic();
  }
}

void PlayVolumeSample(int setting) {
  platform::SetChannelVolume(kSampleChannel, MixerVolume(setting));
  platform::PlayChunk(kSampleChannel, gRocketSound);
}

#include "platform/audio.h"

namespace platform {
namespace {

unsigned gChunksPlayed = 0;
MixerOrders gOrders;

}  // namespace

void PlayChunk(int channel, Mix_Chunk* chunk) {
  ++gChunksPlayed;
  if (chunk) Mix_PlayChannelTimed(channel, chunk, 0, -1);
}

unsigned ChunksPlayed() { return gChunksPlayed; }

void SetEffectsVolume(int volume) {
  gOrders.effectsVolume = volume;
  Mix_Volume(-1, volume);
}

void SetChannelVolume(int channel, int volume) { Mix_Volume(channel, volume); }

void SetMusicVolume(int volume) {
  gOrders.musicVolume = volume;
  Mix_VolumeMusic(volume);
}

void PlayMusic(Mix_Music* music) {
  const bool wasOn = gOrders.musicOn;
  gOrders.musicOn = true;
  if (wasOn || music == nullptr) return;
  ++gOrders.musicStarts;
  Mix_PlayMusic(music, -1);
}

void StopMusic() {
  if (!gOrders.musicOn) return;
  gOrders.musicOn = false;
  Mix_HaltMusic();
}

const MixerOrders& MixerOrdersGiven() { return gOrders; }

}  // namespace platform

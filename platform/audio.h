#pragma once
#include <SDL_mixer.h>

namespace platform {

// Plays a chunk once on a channel, cutting whatever plays there.
void PlayChunk(int channel, Mix_Chunk* chunk);

// How many chunks were started since the program began; lets tests see that
// a sound was asked for without a sound card.
unsigned ChunksPlayed();

// Volumes are the mixer's, 0 (silent) to MIX_MAX_VOLUME (128).
// Every channel's volume: the sound effects'.
void SetEffectsVolume(int volume);
// The volume of one channel, leaving the others as they are.
void SetChannelVolume(int channel, int volume);
void SetMusicVolume(int volume);
// Starts `music` looping unless it already plays; null music starts
// nothing, though the wish is noted.
void PlayMusic(Mix_Music* music);
void StopMusic();

// What the mixer was last told, whether or not there is a sound device:
// tests read it as they read ChunksPlayed.
struct MixerOrders {
  int effectsVolume = MIX_MAX_VOLUME;
  int musicVolume = MIX_MAX_VOLUME;
  bool musicOn = false;       // PlayMusic since the last StopMusic
  unsigned musicStarts = 0;   // times a track was started
};
const MixerOrders& MixerOrdersGiven();

}  // namespace platform

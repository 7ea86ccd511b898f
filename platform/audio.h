#pragma once
#include <SDL_mixer.h>

namespace platform {

// Plays a chunk once on a channel, cutting whatever plays there.
void PlayChunk(int channel, Mix_Chunk* chunk);

// How many chunks were started since the program began; lets tests see that
// a sound was asked for without a sound card.
unsigned ChunksPlayed();

}  // namespace platform

#include "platform/audio.h"

namespace platform {
namespace {

unsigned gChunksPlayed = 0;

}  // namespace

void PlayChunk(int channel, Mix_Chunk* chunk) {
  ++gChunksPlayed;
  if (chunk) Mix_PlayChannelTimed(channel, chunk, 0, -1);
}

unsigned ChunksPlayed() { return gChunksPlayed; }

}  // namespace platform

#pragma once
#include "world/world_events.h"

// Plays the sound of each event the world posted, in order, and empties the
// list.
void PlayWorldSounds(WorldEvents& events);

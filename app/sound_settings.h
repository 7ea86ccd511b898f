#pragma once
#include <SDL_mixer.h>

#include "settings/settings.h"

// The track that plays in the menu and in play while music is on; null
// without a sound device or without the file.
extern Mix_Music* gMusicTrack;

// A volume of the settings (0 to 10) as the mixer's (0 to 128).
int MixerVolume(int setting);
// Tells the mixer the volumes of `settings`, and starts or stops the music.
void ApplySoundSettings(const Settings& settings);
// The launch sound once at the effects volume `setting`, for the sound page
// as the volume is stepped; the volume in effect for play is untouched.
void PlayVolumeSample(int setting);

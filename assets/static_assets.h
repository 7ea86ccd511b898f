#pragma once
#include <SDL_mixer.h>

#include "assets/p3d_model.h"
#include "assets/texture.h"

// Assets loaded once at start-up and kept until the process ends.
extern P3dModel gShipModel;
extern P3dModel gRocketModel;
extern P3dModel gDroneModel;
extern Material gExplosionMaterial;
extern Material gSphereMaterial;
extern Mix_Chunk* gRocketSound;
extern Mix_Chunk* gExplosionSound;
extern Mix_Chunk* gDroneLaunchSound;
extern Mix_Chunk* gHitSound;

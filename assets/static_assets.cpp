#include "assets/static_assets.h"

P3dModel gShipModel;
P3dModel gRocketModel;
P3dModel gDroneModel;
Material gExplosionMaterial;
Material gSphereMaterial;
Mix_Chunk* gRocketSound = nullptr;
Mix_Chunk* gExplosionSound = nullptr;
Mix_Chunk* gDroneLaunchSound = nullptr;
Mix_Chunk* gHitSound = nullptr;

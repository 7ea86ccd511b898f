#include "assets/static_assets.h"

P3dModel gShipModel;
P3dModel gRocketModel;
Material gExplosionMaterial;
Material gSphereMaterial;
Mix_Chunk* gRocketSound = nullptr;
Mix_Chunk* gExplosionSound = nullptr;

#include "world/world.h"

#include "assets/texture.h"

World* gWorld = nullptr;
EntityList* gEntityList = nullptr;
Texture gCloudsTexture;

World::World() {}
World::~World() {}
void World::Clear() { loaded = false; }
void World::Update(float) {}
void World::Draw(const Material*, float) {}
void World::DrawPathGraph() {}
void World::DrawClouds(float) {}
void World::DrawGroup(const MaterialGroup&, const Material*) {}

#include "world/world_hash.h"

#include "world/world.h"

void AddWorld(Fnv1a& hash, const World& world) {
  const uint64_t count = world.entities.size();
  hash.Add(&count, sizeof count);
  for (const Entity* e : world.entities) {
    hash.Add(&e->kind, sizeof e->kind);
    hash.Add(e->position);
    hash.Add(e->velocity);
  }
}

#include "world/world.h"

bool World::Load(const char*) {
  loadError = "not yet readable";
  return false;
}

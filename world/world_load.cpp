#include <string>
#include <utility>
#include <vector>

#include "assets/byte_reader.h"
#include "level/level_reader.h"
#include "level/vertex_colours.h"
#include "world/drone.h"
#include "world/player_ship.h"
#include "world/world.h"

bool World::Load(const char* path, std::string& error) {
  PlainFile file;
  // A file that cannot be read leaves the world as it was.
  if (!file.Open(path, error)) {
    error = std::string(path) + ": " + error;
    return false;
  }

  Clear();
  gLevelVertices = nullptr;
  gLevelTriangles = nullptr;

  // Parsed apart from the world, so a damaged file leaves it empty rather
  // than half filled.
  LevelData level;
  ByteReader reader(file);
  if (!ReadLevel(reader, level) || !ReadVertexColours(reader, level)) {
    error = std::string(path) + ": " + reader.Error();
    return false;
  }
  static_cast<LevelData&>(*this) = std::move(level);
  gLevelVertices = positions.data();
  gLevelTriangles = triangles.data();

  loaded = true;
  gEntityList = &entities;
  gWorldEvents = &events;
  Restart();
  return true;
}

void World::Restart() {
  for (Entity* entity : entities) delete entity;
  entities.clear();
  events.clear();
  clock = 0.0;
  PlayerShip* ship = new PlayerShip();
  for (const SpawnPoint& spawn : spawnPoints) {
    if (spawn.IsDrone()) continue;
    ship->position = spawn.position;
    break;
  }
  ship->home = ship->position;
  entities.push_back(ship);
  droneReturns.assign(spawnPoints.size(), -1.0);
  for (size_t i = 0; i < spawnPoints.size(); ++i) {
    if (dronesPlay && spawnPoints[i].IsDrone()) {
      entities.push_back(new Drone(static_cast<int32_t>(i), spawnPoints[i].position));
    }
  }
}

#include <string>
#include <utility>
#include <vector>

#include "assets/byte_reader.h"
#include "level/level_reader.h"
#include "level/vertex_colours.h"
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
  PlayerShip* ship = new PlayerShip();
  if (spawnPointCount >= 1) ship->position = spawnPoints[0].position;
  entities.push_back(ship);
  return true;
}

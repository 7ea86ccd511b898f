#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "assets/byte_reader.h"
#include "level/level_reader.h"
#include "level/vertex_colours.h"
#include "world/drone.h"
#include "world/player_ship.h"
#include "world/world.h"

Vector3 World::ShipHome(int32_t player) const {
  std::vector<Vector3> places;
  for (const SpawnPoint& spawn : spawnPoints) {
    if (!spawn.IsDrone()) places.push_back(spawn.position);
  }
  if (places.empty()) places.push_back(Vector3(0.0f, 0.0f, 0.0f));
  const size_t n = places.size();
  const size_t p = player < 0 ? 0 : static_cast<size_t>(player);
  Vector3 home = places[p % n];
  // More players than places: the later ones stand round the place.
  if (const size_t ring = p / n) {
    const float angle = 2.39996f * static_cast<float>(p);  // the golden angle
    home += Vector3(std::cos(angle), 0.0f, std::sin(angle)) * (12.0f * static_cast<float>(ring));
  }
  return home;
}

PlayerShip* World::AddShip(int32_t player) {
  PlayerShip* ship = new PlayerShip();
  ship->player = player;
  ship->position = ship->home = ShipHome(player);
  entities.push_back(ship);
  return ship;
}

PlayerShip* World::ShipOf(int32_t player) const {
  for (Entity* e : entities) {
    if (e->kind == kKindPlayerShip && e->alive && static_cast<PlayerShip*>(e)->player == player) {
      return static_cast<PlayerShip*>(e);
    }
  }
  return nullptr;
}

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

void World::Publish() {
  gWorld = this;
  gEntityList = &entities;
  gWorldEvents = &events;
}

void World::Restart() {
  for (Entity* entity : entities) delete entity;
  entities.clear();
  events.clear();
  clock = 0.0;
  if (localShip) AddShip(0);
  droneReturns.assign(spawnPoints.size(), -1.0);
  for (size_t i = 0; i < spawnPoints.size(); ++i) {
    if (dronesPlay && spawnPoints[i].IsDrone()) {
      entities.push_back(new Drone(static_cast<int32_t>(i), spawnPoints[i].position));
    }
  }
}

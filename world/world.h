#pragma once
#include <string>

#include "level/level_data.h"
#include "world/entity.h"
#include "world/random.h"
#include "world/world_events.h"

struct Material;
struct Texture;

// The scene of one game: the loaded level and the entities moving in it.
// The level members come first; the player's ship is always entity 0.
class World : public LevelData {
 public:
  World();
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // Reads a level file and places the player's ship at its first spawn
  // point for a ship, and, with `dronesPlay`, a drone at each of its drone
  // spawn points. False, with the file and the reason in `error`, when the
  // file cannot be read or is damaged: a file that cannot be read leaves the
  // world as it was, a damaged one leaves it empty.
  bool Load(const char* path, std::string& error);

  // The loaded level's start: the ship at its place, the drones at theirs,
  // the clock at 0 and no events.
  void Restart();
  // Points the process-wide views (gWorld, gEntityList, gWorldEvents) at
  // this world, for the code that reaches it through them.
  void Publish();

  // Where player `player`'s ship starts: the level's ship places in turn,
  // and round them when there are more players than places.
  Vector3 ShipHome(int32_t player) const;
  // A ship for player `player`, appended at its home.
  class PlayerShip* AddShip(int32_t player);
  // Player `player`'s ship, or null.
  class PlayerShip* ShipOf(int32_t player) const;

  // A drone of spawn point `spawnIndex` was destroyed: another comes back
  // there kDroneReturnSeconds later.
  void DroneLost(int32_t spawnIndex);

  void Clear();
  void Update(float dt);
  // One step of one entity as Update steps it, meeting the level but no
  // other entity: a client's prediction of its own ship.
  void StepAlone(Entity& e, float dt);
  void Draw(const Material* materials, float dt);

  void DrawPathGraph();
  void DrawClouds(float dt);
  void DrawGroup(const MaterialGroup& group, const Material* materials);

  static constexpr double kDroneReturnSeconds = 10.0;

  EntityList entities;
  // What happened in the steps since the game last played it.
  WorldEvents events;
  float highCloudOffset = 0.0f;
  float lowCloudOffset = 0.0f;
  bool dronesPlay = true;  // whether Load places drones
  // Whether the world has its own player's ship as entity 0, kept for the
  // whole game; a server's world has only its players' ships.
  bool localShip = true;
  double clock = 0.0;      // seconds of play: the steps' time added up
  WorldRandom random;      // every choice the simulation makes
  // When a drone comes back to each spawn point; negative while none is due.
  std::vector<double> droneReturns;

 private:
  void ReturnDrones();
  // The two halves of an entity's step, either side of its contacts.
  void Move(Entity& e, uint32_t index, float dt);
  void Collide(Entity& e, float dt);
};

extern World* gWorld;
extern EntityList* gEntityList;
extern Texture gCloudsTexture;

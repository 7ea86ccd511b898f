#pragma once
#include <cstdint>

#include "world/entity.h"

class PlayerShip;
class World;

// A hovering enemy craft. It patrols the level's path graph, node to node,
// at a set height over the ground; when it sees a ship within range it turns
// to it and fires rockets at it, and after some seconds out of sight it goes
// back to its patrol. Every choice it makes comes from the world's seeded
// generator, and its timers count the steps' time, so a round replays alike.
class Drone : public Entity {
 public:
  static constexpr float kRadius = 4.0f;
  static constexpr float kFullHealth = 100.0f;
  static constexpr float kHoverHeight = 12.0f;  // over the ground, to its centre
  static constexpr float kCruiseSpeed = 40.0f;
  static constexpr float kSightRange = 400.0f;
  static constexpr float kReloadSeconds = 1.5f;
  static constexpr float kGiveUpSeconds = 4.0f;  // out of sight, back to patrol
  static constexpr float kAimError = 4.0f;       // degrees, at most, each way

  enum class Mode : uint8_t { kPatrol, kAttack };

  Drone(int32_t spawnIndex, const Vector3& at);

  void Update(uint32_t index, EntityList& entities, float dt) override;
  void Draw() override;
  void TakeDamage(float amount, int32_t shooter) override;
  // Sets the model's frame for a heading and a bank, both in degrees.
  void Pose(float headingDegrees, float bankDegrees);

  int32_t spawnIndex;     // the spawn point it comes back to
  Mode mode = Mode::kPatrol;
  int32_t targetNode = -1;    // the path node it heads for
  int32_t previousNode = -1;  // the one it came from
  float heading = 0.0f;       // degrees about y; 0 faces +z
  float bank = 0.0f;          // degrees, into the turn
  float health = kFullHealth;
  float reload = 0.0f;     // seconds until it may fire
  float unseen = 0.0f;     // seconds since it last saw its quarry
  float stuck = 0.0f;      // seconds it has made no headway on patrol
  bool seesQuarry = false;
  Vector3 quarry{0, 0, 0};  // where it last saw a ship

 private:
  float HeightOverGround(const World& world) const;
  void Look(EntityList& entities, const World& world, float dt);
  Vector3 KeepApart(const EntityList& entities) const;
  Vector3 Patrol(World& world, float dt);
  Vector3 Attack(float dt);
  void ChooseNextNode(World& world, bool mayTurnBack);
  void TurnTo(const Vector3& towards, float dt);
  void Fire(World& world);
};

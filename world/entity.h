#pragma once
#include <cstdint>
#include <vector>

#include "math/vector3.h"

struct Material;
class Entity;

using EntityList = std::vector<Entity*>;

enum EntityKind : int32_t {
  kKindPlayerShip = 0,
  kKindDrone = 1,
  kKindRocket = 2,
  kKindExplosion = 3,
};

// Everything that moves: a sphere with a mass, integrated by the World each
// step. The virtual operations keep their order; kinds override a few.
class Entity {
 public:
  explicit Entity(int32_t kind_);
  virtual ~Entity() = default;

  virtual void Age(float dt);
  virtual void Update(uint32_t index, EntityList& entities, float dt) = 0;
  virtual void OnEntityContact(Entity& other, float dt);
  virtual void OnLevelContact(const Vector3 corners[3], const Material* material);
  virtual void Draw() = 0;
  virtual void ComputeAcceleration(float dt);
  virtual void AddAcceleration(const Vector3& v, float scale);
  virtual void AddForce(const Vector3& v);
  virtual void Translate(const Vector3& v);
  virtual void IntegratePosition(float dt);
  virtual void IntegrateVelocity(float dt);
  virtual void AddVelocity(const Vector3& v);
  // A rocket's harm: `amount` points from the rocket of `shooter` (a player's
  // number, or -1 for a drone's). Only ships and drones have a hull to lose.
  virtual void TakeDamage(float amount, int32_t shooter);

  void SetVelocity(const Vector3& v);
  void SetDirection(const Vector3& v);
  void BuildModelMatrix(float m[16]) const;

  int32_t kind;
  bool alive = true;
  float radius;
  float mass = 0.0f;
  Vector3 position{0, 0, 0};
  Vector3 velocity{0, 0, 0};
  Vector3 acceleration{0, 0, 0};
  Vector3 force{0, 0, 0};
  bool collided = false;
  Vector3 forward{0, 0, 1};
  Vector3 up{0, 1, 0};
  Vector3 right{1, 0, 0};
  Vector3 direction{0, 0, 0};
  float lifetime = 100.0f;
  bool solid = true;
  float maxSpeed = 0.0f;
  // False while a wreck waits to come back: it meets no entity and no level.
  bool tangible = true;
  // Its number in network play, given by the server; 0 until then.
  uint16_t netId = 0;
  // Skips its own steps, meeting others where it stands: a ship whose
  // pilot's next command has not yet come to the server.
  bool held = false;

 private:
  void LimitSpeed();
};

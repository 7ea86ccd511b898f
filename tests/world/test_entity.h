#pragma once
#include <cstdint>

#include "world/entity.h"

// A plain entity that counts its steps and remembers the last index it was
// given, for tests of the base class and of the World's step.
class TestEntity : public Entity {
 public:
  static constexpr int32_t kKind = 9;  // no kind of the game's own

  explicit TestEntity(float radius_ = 1.0f, float mass_ = 1.0f) : Entity(kKind) {
    radius = radius_;
    mass = mass_;
    maxSpeed = 1000.0f;
  }
  void Update(uint32_t index, EntityList&, float) override {
    ++updates;
    lastIndex = index;
  }
  void Draw() override {}
  void OnEntityContact(Entity& other, float) override {
    ++contacts;
    lastContact = &other;
  }

  int updates = 0;
  uint32_t lastIndex = 0xFFFFFFFFu;
  int contacts = 0;
  Entity* lastContact = nullptr;
};

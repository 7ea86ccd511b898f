#pragma once
#include <array>
#include <vector>

#include "world/entity.h"

// An entity that records the contacts collision reports to it. When frozen
// it records without moving, so one query can be compared with
// another answer for the same sphere.
class RecordingEntity : public Entity {
 public:
  explicit RecordingEntity(int32_t kind_ = 1, float radius_ = 3.0f) : Entity(kind_) {
    radius = radius_;
    mass = 2.0f;
  }

  void Update(uint32_t, EntityList&, float) override {}
  void Draw() override {}

  void OnLevelContact(const Vector3 corners[3], const Material* material) override {
    contacts.push_back({corners[0], corners[1], corners[2]});
    materials.push_back(material);
  }
  void AddForce(const Vector3& v) override {
    if (!frozen) Entity::AddForce(v);
  }
  void AddVelocity(const Vector3& v) override {
    if (!frozen) Entity::AddVelocity(v);
  }
  void Translate(const Vector3& v) override {
    translations.push_back(v);
    if (!frozen) Entity::Translate(v);
  }

  bool frozen = false;
  std::vector<std::array<Vector3, 3>> contacts;
  std::vector<const Material*> materials;
  std::vector<Vector3> translations;
};

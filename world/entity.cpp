#include "world/entity.h"

Entity::Entity(int32_t kind_) : kind(kind_), radius(0.0f) {}

void Entity::Age(float dt) { lifetime -= dt; }

void Entity::OnEntityContact(Entity&, float) {}

void Entity::OnLevelContact(const Vector3*, const Material*) {}

void Entity::ComputeAcceleration(float) { acceleration = force * (1.0f / mass); }

void Entity::AddAcceleration(const Vector3& v, float scale) { acceleration += v * scale; }

void Entity::AddForce(const Vector3& v) { force += v; }

void Entity::Translate(const Vector3& v) { position += v; }

void Entity::IntegratePosition(float dt) { position += velocity * dt; }

void Entity::IntegrateVelocity(float dt) {
  velocity += acceleration * dt;
  LimitSpeed();
}

void Entity::AddVelocity(const Vector3& v) { velocity += v; }

void Entity::TakeDamage(float, int32_t) {}

void Entity::LimitSpeed() {
  if (maxSpeed * maxSpeed < velocity.LengthSquared()) {
    velocity.Normalize();
    velocity = velocity * maxSpeed;
  }
}

void Entity::SetVelocity(const Vector3& v) {
  velocity = v;
  LimitSpeed();
}

void Entity::SetDirection(const Vector3& v) {
  direction = v;
  direction.Normalize();
  const Vector3& d = direction;
  if (std::fabs(d.y) < 0.995f) {
    right = Vector3(-d.z, 0.0f, d.x);  // d x (0, 1, 0)
    up.Cross(right, d);
  } else {
    up = Vector3(0.0f, -d.z, d.y);  // (1, 0, 0) x d
    right.Cross(d, up);
  }
}

void Entity::BuildModelMatrix(float m[16]) const {
  Vector3 side = CrossProduct(up, forward);
  const Vector3* columns[3] = {&side, &up, &forward};
  for (int c = 0; c < 3; ++c) {
    m[c * 4 + 0] = columns[c]->x;
    m[c * 4 + 1] = columns[c]->y;
    m[c * 4 + 2] = columns[c]->z;
    m[c * 4 + 3] = 0.0f;
  }
  m[12] = position.x;
  m[13] = position.y;
  m[14] = position.z;
  m[15] = 1.0f;
}

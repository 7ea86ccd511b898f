#include "world/rocket.h"

#include <GL/gl.h>

#include "assets/static_assets.h"
#include "world/damage.h"
#include "world/explosion.h"
#include "world/world.h"
#include "world/world_events.h"

Rocket::Rocket(const Vector3& start, const Entity* owner_)
    : Entity(kKindRocket), launchPosition(start), owner(owner_) {
  radius = 1.0f;
  mass = 0.1f;
  maxSpeed = 160.0f;
  solid = false;
}

void Rocket::Update(uint32_t, EntityList&, float) {
  force = direction * kThrust;  // replaces gravity
  if ((position - launchPosition).LengthSquared() > kRange * kRange) Explode();
}

void Rocket::OnEntityContact(Entity& other, float) {
  if (&other != owner && other.kind != kKindExplosion) Explode(&other);
}

void Rocket::OnLevelContact(const Vector3*, const Material*) { Explode(); }

void Rocket::Draw() {
  float m[16];
  BuildModelMatrix(m);
  glPushMatrix();
  glMultMatrixf(m);
  gRocketModel.Draw();
  glPopMatrix();
}

void Rocket::Explode(Entity* struck) {
  alive = false;
  PostEvent({WorldEventKind::kExplosion, position, shooter, -1});
  if (!gEntityList) return;
  gEntityList->push_back(new Explosion(kExplosionMs, position));
  if (burst) return;
  burst = true;
  if (ApplyBlast(*gEntityList, position, owner, shooter, struck)) {
    PostEvent({WorldEventKind::kHit, position, shooter, -1});
  }
}

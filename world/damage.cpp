#include "world/damage.h"

float BlastDamage(float distance) {
  if (distance <= kBlastCore) return kBlastDamage;
  if (distance >= kBlastRadius) return 0.0f;
  return kBlastDamage * (kBlastRadius - distance) / (kBlastRadius - kBlastCore);
}

bool ApplyBlast(EntityList& entities, const Vector3& centre, const Entity* owner,
                int32_t shooter, Entity* struck) {
  bool hurt = false;
  // By index: a target destroyed here appends its own explosion.
  for (size_t i = 0; i < entities.size(); ++i) {
    Entity* e = entities[i];
    if (e == owner || !CanBeHurt(*e)) continue;
    // The drones fly together: their rockets spare each other.
    if (shooter < 0 && e->kind == kKindDrone) continue;
    float damage = kDirectHitDamage;
    if (e != struck) {
      const float surface = (e->position - centre).Length() - e->radius;
      damage = BlastDamage(surface < 0.0f ? 0.0f : surface);
    }
    if (damage <= 0.0f) continue;
    e->TakeDamage(damage, shooter);
    hurt = true;
  }
  return hurt;
}

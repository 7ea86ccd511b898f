#pragma once
#include <cstdint>

#include "world/entity.h"

// What a rocket does to ships and drones: the one it strikes takes a direct
// hit; every other one within the blast takes less the farther it is. The
// rocket's own launcher is never hurt by it, nor a drone by a drone's.
constexpr float kDirectHitDamage = 100.0f;
constexpr float kBlastDamage = 50.0f;  // within kBlastCore of the target's surface
constexpr float kBlastCore = 2.0f;
constexpr float kBlastRadius = 16.0f;  // no harm from here on

// The damage of a blast `distance` units from the target's surface.
float BlastDamage(float distance);

// Whether a rocket can hurt this entity at all.
inline bool CanBeHurt(const Entity& e) {
  return e.tangible && (e.kind == kKindPlayerShip || e.kind == kKindDrone);
}

// Hurts every ship and drone of `entities` that a rocket of `shooter`,
// launched by `owner` and bursting at `centre`, reaches: `struck` (may be
// null) by a direct hit, the others by the blast. True when it hurt any.
bool ApplyBlast(EntityList& entities, const Vector3& centre, const Entity* owner,
                int32_t shooter, Entity* struck);

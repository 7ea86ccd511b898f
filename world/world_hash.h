#pragma once
#include <cstddef>
#include <cstdint>

#include "math/vector3.h"

class World;

// FNV-1a over bytes, 64 bits: the fingerprint a replay must reproduce.
class Fnv1a {
 public:
  void Add(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ p[i]) * 0x100000001b3ull;
  }
  void Add(float v) { Add(&v, sizeof v); }
  void Add(const Vector3& v) {
    Add(v.x);
    Add(v.y);
    Add(v.z);
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xcbf29ce484222325ull;
};

// Adds what a replay of the world must reproduce: the number of entities,
// and each one's kind, position and velocity.
void AddWorld(Fnv1a& hash, const World& world);

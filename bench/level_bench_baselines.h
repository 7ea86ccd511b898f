#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "level/level_data.h"

// The best libraries' answers to the level queries, built over the same
// vertices and triangles: Embree's ray query and Bullet's quantized BVH of a
// triangle mesh. Only the benchmark uses them.

class EmbreeScene {
 public:
  explicit EmbreeScene(const LevelData& level);
  ~EmbreeScene();
  EmbreeScene(const EmbreeScene&) = delete;
  EmbreeScene& operator=(const EmbreeScene&) = delete;

  // The nearest hit of the segment, as a distance along `direction`
  // (unnormalised, like Ray); Embree tests both faces.
  bool RayCast(const Ray& ray, float maxDistance, float* hitDistance) const;
  size_t Bytes() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class BulletMesh {
 public:
  explicit BulletMesh(const LevelData& level);
  ~BulletMesh();
  BulletMesh(const BulletMesh&) = delete;
  BulletMesh& operator=(const BulletMesh&) = delete;

  // Runs the game's contact rule (plane, then angle sum or edge distance) on
  // every triangle the BVH finds in the sphere's box; returns the contacts.
  int SphereContacts(const Vector3& centre, float radius) const;
  // Triangles the last query handed to the contact rule.
  mutable int lastTested = 0;
  size_t Bytes() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  const LevelData& level_;
};

#pragma once
#include <cstdint>
#include <vector>

#include "level/level_data.h"
#include "level/octree.h"

// The answers of the level queries found by testing every triangle, with no
// octree: the baseline that tests and benchmarks measure the octree against.

// Triangles a sphere touches by collision's contact rule (the centre within
// `radius` of the plane, and its projection inside the triangle or closer
// than radius * 0.5 to an edge), for a sphere that does not move.
std::vector<int32_t> BruteForceSphereContacts(const LevelData& level, const Vector3& centre,
                                              float radius);

// The nearest front-face hit along the segment; false, with hitDistance =
// maxDistance, when there is none. `triangle` gets the triangle hit.
bool BruteForceRayCast(const LevelData& level, const Ray& ray, float maxDistance,
                       float* hitDistance, int32_t* triangle);

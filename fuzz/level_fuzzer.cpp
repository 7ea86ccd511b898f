// libFuzzer target for the level file parser: any bytes are either refused
// with a reason or give a level on which the ray and sphere queries run
// without touching memory they should not. Built and run by scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>

#include "assets/byte_reader.h"
#include "level/level_reader.h"
#include "level/vertex_colours.h"
#include "platform/clock.h"
#include "world/entity.h"

namespace {

class Probe : public Entity {
 public:
  Probe(int32_t kind_, float radius_) : Entity(kind_) {
    radius = radius_;
    mass = 1.0f;
  }
  void Update(uint32_t, EntityList&, float) override {}
  void Draw() override {}
};

uint32_t FakeTicks() {
  static uint32_t now = 0;
  return ++now;
}

void Query(const Octree& octree, const Vector3& at) {
  // A small and a large sphere, two rays: enough to walk every node kind
  // while keeping thousands of inputs a second.
  for (float radius : {0.5f, 40.0f}) {
    Probe probe(kKindPlayerShip, radius);
    probe.position = at;
    probe.velocity = Vector3(1, -2, 3);
    float unused = 0.0f;
    octree.Collide(&probe, &unused, 0.02f);
  }
  for (Vector3 direction : {Vector3(0, -1, 0), Vector3(0.3f, -0.5f, 0.8f)}) {
    Ray ray{at, direction};
    float hit = 0.0f;
    octree.RayCast(&ray, 1000.0f, &hit);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::SetTickSource(&FakeTicks);
  LevelData level;
  ByteReader reader(data, size);
  if (!ReadLevel(reader, level) || !ReadVertexColours(reader, level)) return 0;

  gLevelVertices = level.positions.data();
  gLevelTriangles = level.triangles.data();
  const Octree& octree = level.octree;
  if (octree.Root() != nullptr) {
    Query(octree, (octree.Root()->boxMin + octree.Root()->boxMax) * 0.5f);
    if (!level.spawnPoints.empty()) Query(octree, level.spawnPoints[0].position);
    for (size_t i = 0; i < level.positions.size() && i < 3; ++i) {
      Query(octree, level.positions[i] + Vector3(0, 1, 0));
    }
  }
  gLevelVertices = nullptr;
  gLevelTriangles = nullptr;
  return 0;
}

#include "world/world.h"

#include <GL/gl.h>

#include "assets/texture.h"
#include "world/drone.h"

World* gWorld = nullptr;
EntityList* gEntityList = nullptr;
WorldEvents* gWorldEvents = nullptr;
Texture gCloudsTexture;

namespace {

constexpr float kGravity = 40.0f;

// Two cloud planes share one texture: a high opaque one and a lower, faster
// one at half opacity over it. Each plane is 2 * kCloudHalfSide units across;
// drift is in texture widths per second.
constexpr float kCloudHalfSide = 10000.0f;
constexpr float kHighCloudHeight = 600.0f;
constexpr float kHighCloudRepeats = 10.0f;
constexpr float kHighCloudDrift = 0.0075f;
constexpr float kLowCloudHeight = 250.0f;
constexpr float kLowCloudRepeats = 25.0f;
constexpr float kLowCloudDrift = 0.015f;
constexpr float kLowCloudOpacity = 0.5f;

// Two solid spheres that overlap: the earlier one is moved out along the line
// between the centres, and their speeds are exchanged along that line as in a
// head-on elastic collision.
void SeparateAndBounce(Entity& e, Entity& o, const Vector3& d, float reach) {
  // Coincident centres give no line to push along; leave the pair alone
  // rather than fill both with NaNs.
  if (d.LengthSquared() == 0.0f) return;
  Vector3 n = Normalized(d);
  e.position = o.position + n * reach;
  o.position = e.position - n * reach;
  float speedE = e.velocity.Length();
  float speedO = o.velocity.Length();
  float massE = e.mass;
  float massO = o.mass;
  float k = 1.0f / (massO + massE);
  e.SetVelocity(n * (((massE - massO) * speedE + 2.0f * massO * speedO) * k));
  o.SetVelocity(n * ((2.0f * massE * speedE - (massE - massO) * speedO) * k));
}

void PointLevelArrays(const LevelData& level) {
  glVertexPointer(3, GL_FLOAT, 0, level.positions.data());
  glTexCoordPointer(2, GL_FLOAT, 0, level.texCoords.data());
  glNormalPointer(GL_FLOAT, 0, level.normals.data());
  glColorPointer(4, GL_FLOAT, 0, level.colours.data());
}

// One cloud plane, a unit square scaled by the caller: the texture repeated
// `repeats` times and slid along s by `offset`.
void CloudQuad(float offset, float repeats) {
  glBegin(GL_QUADS);
  glTexCoord2f((offset + 1.0f) * repeats, repeats);
  glVertex3f(1.0f, 0.0f, -1.0f);
  glTexCoord2f((offset + 1.0f) * repeats, 0.0f);
  glVertex3f(1.0f, 0.0f, 1.0f);
  glTexCoord2f(offset * repeats, 0.0f);
  glVertex3f(-1.0f, 0.0f, 1.0f);
  glTexCoord2f(offset * repeats, repeats);
  glVertex3f(-1.0f, 0.0f, -1.0f);
  glEnd();
}

// The one lamp, GL_LIGHT0; a position is in the space of the matrix in
// effect, here the world's.
void PlaceLamp(const GLfloat* position, const GLfloat* ambient, const GLfloat* diffuse) {
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
}

}  // namespace

World::World() {}

World::~World() {
  Clear();
  // Nothing may reach a world that is gone.
  if (gEntityList == &entities) gEntityList = nullptr;
  if (gWorldEvents == &events) gWorldEvents = nullptr;
  if (gWorld == this) gWorld = nullptr;
}

void World::Clear() {
  octree.Clear();
  positions.clear();
  normals.clear();
  texCoords.clear();
  colours.clear();
  groups.clear();
  triangles.clear();
  pathNodes.clear();
  spawnPoints.clear();
  materialNames.clear();
  for (Entity* entity : entities) delete entity;
  entities.clear();
  entities.shrink_to_fit();
  events.clear();
  droneReturns.clear();
  clock = 0.0;
  loaded = false;
}

void World::DroneLost(int32_t spawnIndex) {
  if (spawnIndex < 0 || static_cast<size_t>(spawnIndex) >= droneReturns.size()) return;
  droneReturns[spawnIndex] = clock + kDroneReturnSeconds;
}

void World::ReturnDrones() {
  for (size_t i = 0; i < droneReturns.size(); ++i) {
    if (droneReturns[i] < 0.0 || clock < droneReturns[i]) continue;
    droneReturns[i] = -1.0;
    entities.push_back(new Drone(static_cast<int32_t>(i), spawnPoints[i].position));
  }
}

void World::Update(float dt) {
  clock += dt;
  ReturnDrones();
  const size_t pairBound = entities.size();
  for (size_t i = 0; i < entities.size(); ++i) {
    Entity* e = entities[i];
    if (!e->alive) {
      if (i == 0 && localShip) continue;  // the player's ship is never removed
      delete e;
      entities[i] = entities.back();
      entities.pop_back();
      continue;  // the entity moved into slot i waits for the next step
    }
    if (!e->held) Move(*e, static_cast<uint32_t>(i), dt);

    // Entities appended during this step lie at pairBound and beyond and
    // meet nothing until the next step. Contacts may append, so slots are
    // read through the list each time.
    for (size_t j = i + 1; j < pairBound && j < entities.size(); ++j) {
      Entity* o = entities[j];
      if (!e->tangible || !o->tangible) continue;
      Vector3 d = e->position - o->position;
      float reach = e->radius + o->radius;
      if (reach * reach > d.LengthSquared()) {
        e->OnEntityContact(*o, dt);
        o->OnEntityContact(*e, dt);
        if (o->solid && e->solid) SeparateAndBounce(*e, *o, d, reach);
      }
    }

    if (!e->held) Collide(*e, dt);
  }
}

void World::Move(Entity& e, uint32_t index, float dt) {
  e.force = Vector3(0.0f, -kGravity * e.mass, 0.0f);
  e.Update(index, entities, dt);
  e.collided = false;
  e.ComputeAcceleration(dt);
  e.IntegrateVelocity(dt);
  e.IntegratePosition(dt);
}

void World::Collide(Entity& e, float dt) {
  float unused = 0.0f;
  if (e.tangible) octree.Collide(&e, &unused, dt);
}

void World::StepAlone(Entity& e, float dt) {
  Move(e, 0, dt);
  Collide(e, dt);
}

void World::Draw(const Material* materials, float dt) {
  PointLevelArrays(*this);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  DrawPathGraph();
  glEnable(GL_TEXTURE_2D);
  DrawClouds(dt);

  // Given in world space: the camera is already applied.
  const GLfloat lightPosition[4] = {0.5f, -1.0f, 0.5f, 0.0f};
  const GLfloat lightAmbient[4] = {0.05f, 0.05f, 0.05f, 1.0f};
  const GLfloat lightDiffuse[4] = {0.3f, 0.3f, 0.3f, 1.0f};
  const GLfloat lightSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  PlaceLamp(lightPosition, lightAmbient, lightDiffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
  glDepthFunc(GL_LEQUAL);

  PointLevelArrays(*this);
  size_t groupCount = groups.size();
  if (materialCount >= 0 && static_cast<size_t>(materialCount) < groupCount) {
    groupCount = static_cast<size_t>(materialCount);
  }
  for (size_t g = 0; g < groupCount; ++g) DrawGroup(groups[g], materials);

  // The level's light is baked into it and the lamp left dim; the models
  // of ships, drones and rockets are lit from above, so they stand out.
  const GLfloat modelLight[4] = {0.3f, 1.0f, 0.2f, 0.0f};
  const GLfloat modelAmbient[4] = {0.45f, 0.45f, 0.45f, 1.0f};
  const GLfloat modelDiffuse[4] = {0.75f, 0.75f, 0.75f, 1.0f};
  PlaceLamp(modelLight, modelAmbient, modelDiffuse);
  for (Entity* entity : entities) entity->Draw();
  glDepthFunc(GL_LESS);
}

void World::DrawGroup(const MaterialGroup& group, const Material* materials) {
  // The loader keeps material indices within the six level slots; a group
  // that points elsewhere is not drawn rather than read out of bounds.
  if (group.material < 0 || group.material >= kMaxLevelMaterials) return;
  const Material& m = materials[group.material];
  m.Apply(GL_FRONT);
  GLsizei count = group.count;
  if (count < 0 || static_cast<size_t>(count) > group.indices.size()) {
    count = static_cast<GLsizei>(group.indices.size());
  }
  glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, group.indices.data());
}

void World::DrawPathGraph() {
  glColor3f(0.0f, 1.0f, 0.0f);
  glBegin(GL_LINES);
  for (const PathNode& node : pathNodes) {
    if (node.linkCount < 2) continue;
    for (uint32_t link : node.links) {
      // The loader checks every link; an index past the list draws nothing.
      if (link >= pathNodes.size()) continue;
      const Vector3& from = node.position;
      const Vector3& to = pathNodes[link].position;
      glVertex3f(from.x, from.y, from.z);
      glVertex3f(to.x, to.y, to.z);
    }
  }
  glEnd();

  glPointSize(3.0f);
  glColor3f(1.0f, 1.0f, 0.0f);
  glBegin(GL_POINTS);
  for (const PathNode& node : pathNodes) glVertex3f(node.position.x, node.position.y, node.position.z);
  glEnd();
  glColor3f(1.0f, 1.0f, 1.0f);
}

void World::DrawClouds(float dt) {
  glDisable(GL_LIGHTING);
  highCloudOffset += dt * kHighCloudDrift;
  lowCloudOffset += dt * kLowCloudDrift;
  // Reset to 0, not reduced by 1: the texture jumps back to where it began.
  if (highCloudOffset > 1.0f) highCloudOffset = 0.0f;
  if (lowCloudOffset > 1.0f) lowCloudOffset = 0.0f;

  glPushMatrix();
  glBindTexture(GL_TEXTURE_2D, gCloudsTexture.glName);
  glTranslatef(0.0f, kHighCloudHeight, 0.0f);
  glScalef(kCloudHalfSide, 1.0f, kCloudHalfSide);
  glColor3f(1.0f, 1.0f, 1.0f);
  CloudQuad(highCloudOffset, kHighCloudRepeats);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glPopMatrix();

  glPushMatrix();
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, gCloudsTexture.glName);
  glTranslatef(0.0f, kLowCloudHeight, 0.0f);
  glScalef(kCloudHalfSide, 1.0f, kCloudHalfSide);
  glColor4f(1.0f, 1.0f, 1.0f, kLowCloudOpacity);
  CloudQuad(lowCloudOffset, kLowCloudRepeats);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glPopMatrix();

  glEnable(GL_LIGHTING);
}

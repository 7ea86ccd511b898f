// Every timer of the game, started from an ordinary tick count, from 10 s
// before SDL's 32-bit millisecond counter wraps (49.7 days of play), and so
// close to the wrap that the timed span crosses it, must behave the same.
#include <gtest/gtest.h>

#include "app/camera.h"
#include "app/game.h"
#include "app/game_input.h"
#include "app/video.h"
#include "tests/support/fake_clock.h"
#include "tests/support/gl_context.h"
#include "tests/support/scripted_input.h"
#include "tests/world/small_level.h"
#include "world/explosion.h"
#include "world/player_ship.h"

namespace {

constexpr uint32_t kOrigins[] = {1000u, 0xFFFFFFFFu - 9999u, 0xFFFFFFFFu - 499u};

class TickWrap : public ::testing::Test {
 protected:
  void SetUp() override { EnsureGlContext(); }
};

TEST_F(TickWrap, FrameTimeAndFrameRateSample) {
  for (uint32_t origin : kOrigins) {
    Game game;
    game.lastFrameTicks = game.lastFpsTicks = origin;
    for (uint32_t ms = 10; ms <= 500; ms += 10) {
      EXPECT_FLOAT_EQ(game.BeginFrame(origin + ms), 0.01f) << origin << " +" << ms;
    }
    EXPECT_FLOAT_EQ(game.fps, 0.0f) << origin;  // 500 ms is not yet past the sample
    game.BeginFrame(origin + 510);
    EXPECT_FLOAT_EQ(game.fps, 100.0f) << origin;
    EXPECT_FLOAT_EQ(game.BeginFrame(origin + 600), 0.02f) << origin;  // capped
    EXPECT_FLOAT_EQ(game.fps, 100.0f) << origin;  // the next sample is 500 ms later
  }
}

TEST_F(TickWrap, FireIntervalAndExplosionLife) {
  for (uint32_t origin : kOrigins) {
    FakeClock clock(origin);
    World world;
    gEntityList = &world.entities;
    PlayerShip* ship = new PlayerShip();
    world.entities.push_back(ship);
    ship->command.controls = kControlFire;
    auto rockets = [&] {
      ship->Update(0, world.entities, 0.02f);
      int count = 0;
      for (const Entity* e : world.entities) count += e->kind == kKindRocket;
      return count;
    };
    // Shots at +0, +600 and +1000: never closer than 400 ms, always once due.
    int expected = rockets();
    for (uint32_t ms : {399u, 600u, 999u, 1000u}) {
      clock.Set(origin + ms);
      expected += ms == 600u || ms == 1000u;
      EXPECT_EQ(rockets(), expected) << origin << " +" << ms;
    }

    clock.Set(origin);
    Explosion explosion(1000, Vector3(0, 0, 0));
    EntityList none;
    for (uint32_t ms : {1u, 999u}) {
      clock.Set(origin + ms);
      explosion.Update(0, none, 0.02f);
      EXPECT_TRUE(explosion.alive) << origin << " +" << ms;
    }
    clock.Set(origin + 1000);
    explosion.Update(0, none, 0.02f);
    EXPECT_FALSE(explosion.alive) << origin;
  }
}

TEST_F(TickWrap, EscapeFromPlayWaitsAQuarterSecond) {
  for (uint32_t origin : kOrigins) {
    FakeClock clock(origin, 1);  // the wait spins on the clock
    ScriptedInput input;
    Game game;
    game.state = kStatePlaying;
    game.inputTimer = 0.02f;
    input.SetPointer(gHalfWidth, gHalfHeight);
    // The last round's Escape, held into the menu, counts again only once released.
    const uint8_t released[SDLK_LAST] = {};
    KeyPressed(released, SDLK_ESCAPE);
    input.Hold(SDLK_ESCAPE);
    game.HandleInput(0.02f);
    EXPECT_EQ(game.state, kStateMenu) << origin;
    const uint32_t waited = clock.Now() - origin;
    EXPECT_GE(waited, 250u) << origin;
    EXPECT_LT(waited, 260u) << origin;
    gKeys = nullptr;
  }
}

// Two queries in one millisecond and queries either side of the wrap each
// test every triangle again: none is skipped as already tested.
TEST_F(TickWrap, QueryStampsKeepEveryQueryApart) {
  World world;
  BuildCornerLevel(world);
  for (uint32_t origin : kOrigins) {
    FakeClock clock(origin);
    Ray ray{Vector3(-10, 10, -10), Vector3(0, -1, 0)};
    for (uint32_t ms : {0u, 0u, 99u, 99u, 100u, 101u}) {
      clock.Set(origin + ms);
      float hit = 0.0f;
      EXPECT_TRUE(world.octree.RayCast(&ray, 100.0f, &hit)) << origin << " +" << ms;
      EXPECT_NEAR(hit, 10.0f, 1e-4f);
    }
  }
  ForgetLevel();
}

}  // namespace

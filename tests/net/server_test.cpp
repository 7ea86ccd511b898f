#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "net/client.h"
#include "net/prediction.h"
#include "net/server.h"
#include "tests/support/fake_clock.h"
#include "tests/world/small_level.h"
#include "world/player_ship.h"
#include "world/world.h"

namespace {

using namespace net;

// A server on the walled field with two places for ships, and clients that
// talk to it over loopback, all stepped in turn on this thread.
class Server : public ::testing::Test {
 protected:
  void SetUp() override {
    world.localShip = false;
    BuildWalledFieldLevel(world);
    world.spawnPoints = {SpawnPoint{kSpawnShip, Vector3(50, 3, 50)},
                         SpawnPoint{kSpawnShip, Vector3(-50, 3, 50)}};
    world.loaded = true;
    world.Publish();
    ServerSettings settings;
    settings.port = 0;  // any free port, so tests may run side by side
    settings.roundSeconds = 600.0f;
    server = std::make_unique<GameServer>(world, settings);
    server->log = [this](const std::string& line) { log += line + "\n"; };
    std::string error;
    ASSERT_TRUE(server->Listen(error)) << error;
    port = server->Port();
    ASSERT_NE(port, 0);
  }
  void TearDown() override {
    clients.clear();
    server.reset();
    ForgetLevel();
    gWorld = nullptr;
  }

  GameClient& Join(const std::string& name) {
    clients.push_back(std::make_unique<GameClient>());
    std::string error;
    EXPECT_TRUE(clients.back()->Connect("127.0.0.1", port, name, 2, 0, error)) << error;
    return *clients.back();
  }

  // Ticks the server and lets every client read, `ticks` times; a client
  // the server let go keeps its reason in `why`.
  void Run(int ticks, const ShipCommand* command = nullptr) {
    for (int i = 0; i < ticks; ++i) {
      server->Receive(1);
      server->Tick();
      why.resize(clients.size());
      for (size_t c = 0; c < clients.size(); ++c) {
        if (clients[c]->GetState() == GameClient::State::kGone) continue;
        clients[c]->Receive(1, why[c]);
        if (command && c == 0) clients[c]->SendCommand(*command);
      }
    }
  }

  // Runs until every client is playing, or gone.
  void Settle() {
    for (int i = 0; i < 300; ++i) {
      bool waiting = false;
      for (const auto& c : clients) waiting |= c->GetState() == GameClient::State::kConnecting;
      if (!waiting) return;
      Run(1);
    }
  }

  FakeClock clock{1000};
  World world;
  std::unique_ptr<GameServer> server;
  uint16_t port = 0;
  std::vector<std::unique_ptr<GameClient>> clients;
  std::vector<std::string> why;
  std::string log;
};

// Two players join and each learns of the other; one steers its ship and
// only its ship moves; snapshots tell each where everything is.
TEST_F(Server, PlayersJoinAndEachSteersItsOwnShipOnly) {
  GameClient& ann = Join("Ann");
  GameClient& bob = Join("Bob\x07");
  Settle();
  ASSERT_EQ(ann.GetState(), GameClient::State::kPlaying) << log;
  ASSERT_EQ(bob.GetState(), GameClient::State::kPlaying) << log;
  EXPECT_EQ(ann.Player(), 0);
  EXPECT_EQ(bob.Player(), 1);
  Run(10);
  EXPECT_EQ(ann.Players()[1].name, "Bob");  // the bell is not a name's
  EXPECT_TRUE(bob.Players()[0].present);

  PlayerShip* annShip = world.ShipOf(0);
  PlayerShip* bobShip = world.ShipOf(1);
  ASSERT_TRUE(annShip && bobShip);
  Run(60);  // both settle on the floor
  const Vector3 annAt = annShip->position, bobAt = bobShip->position;
  ShipCommand thrust;
  thrust.controls = kControlThrust;
  Run(120, &thrust);
  EXPECT_GT((annShip->position - annAt).Length(), 20.0f);
  EXPECT_LT((bobShip->position - bobAt).Length(), 0.5f);

  ASSERT_FALSE(bob.Snapshots().empty());
  int ships = 0;
  for (const EntityState& e : bob.Snapshots().back().entities) ships += e.kind == SnapshotKind::kShip;
  EXPECT_EQ(ships, 2);
  EXPECT_TRUE(bob.Own().present);
  EXPECT_NEAR(bob.Own().position.x, bobShip->position.x, 0.01f);
  EXPECT_GT(ann.OwnCommand(), 100u);  // the server says how far it played
}

TEST_F(Server, APlayerWhoLeavesIsRemovedAndTheOtherPlaysOn) {
  GameClient& ann = Join("Ann");
  GameClient& bob = Join("Bob");
  Settle();
  Run(5);
  bob.Leave();
  Run(30);
  EXPECT_EQ(world.ShipOf(1), nullptr);
  EXPECT_FALSE(ann.Players()[1].present);
  EXPECT_EQ(ann.GetState(), GameClient::State::kPlaying);
  EXPECT_NE(log.find("Bob (player 1) left"), std::string::npos) << log;
}

// A client of another protocol, a ninth player, and peers that send what no
// client sends are each refused or dropped with a reason, told to both
// sides; the server plays on.
TEST_F(Server, RefusesAndDropsWithAReasonAndGoesOn) {
  GameClient& keeper = Join("Keeper");
  Settle();
  for (int i = 0; i < kMaxPlayers - 1; ++i) Join("Filler");
  Settle();
  GameClient& ninth = Join("Ninth");
  Run(100);
  EXPECT_EQ(ninth.GetState(), GameClient::State::kGone);
  EXPECT_NE(why.back().find("the server is full"), std::string::npos) << why.back();
  EXPECT_NE(log.find("the server is full"), std::string::npos);

  // Raw peers, each saying one hostile thing.
  const std::vector<std::vector<uint8_t>> hostile = {
      {1, 99, 0, 1, 'x', 0},         // another protocol version
      {2, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0},  // commands before hello
      Encode(SnapshotMessage{2, 0, 0, {}, {}}, {}, {}),  // a server's message
      {77},                          // nothing at all
  };
  const char* reasons[] = {"protocol version 99", "before saying hello", "only a server sends",
                           "unknown type 77"};
  for (size_t i = 1; i < clients.size(); ++i) clients[i]->Leave();
  Run(30);
  for (size_t h = 0; h < hostile.size(); ++h) {
    EnetHost raw;
    std::string error;
    ASSERT_TRUE(raw.Connect("127.0.0.1", port, error));
    ENetEvent event;
    bool told = false, gone = false;
    for (int i = 0; i < 400 && !gone; ++i) {
      server->Receive(1);
      server->Tick();
      keeper.Receive(0, why[0]);
      while (raw.Service(event, 1)) {
        if (event.type == ENET_EVENT_TYPE_CONNECT) raw.Send(raw.Server(), kChannelReliable, hostile[h]);
        if (event.type == ENET_EVENT_TYPE_RECEIVE) {
          Message m;
          std::string e;
          told |= Decode(event.packet->data, event.packet->dataLength, m, e) &&
                  m.type == MessageType::kRefused &&
                  m.refused.reason.find(reasons[h]) != std::string::npos;
          enet_packet_destroy(event.packet);
        }
        if (event.type == ENET_EVENT_TYPE_DISCONNECT) gone = true;
      }
    }
    EXPECT_TRUE(told && gone) << reasons[h] << "\n" << log;
    EXPECT_NE(log.find(reasons[h]), std::string::npos) << log;
  }
  EXPECT_EQ(keeper.GetState(), GameClient::State::kPlaying);
}

TEST_F(Server, AFloodIsDropped) {
  GameClient& ann = Join("Ann");
  Settle();
  ShipCommand idle;
  for (int i = 0; i < kMaxMessagesPerSecond + 50; ++i) ann.SendCommand(idle);
  Run(50);
  EXPECT_EQ(ann.GetState(), GameClient::State::kGone);
  EXPECT_NE(log.find("messages a second"), std::string::npos) << log;
  EXPECT_EQ(world.ShipOf(0), nullptr);
}

// The client's own ship, moved by each command at once on its own copy of
// the level, agrees with the server's when the server's word comes: the
// same commands, quantized alike, in the same fixed steps.
TEST_F(Server, APredictedShipAgreesWithTheServers) {
  GameClient& ann = Join("Ann");
  Settle();
  ASSERT_EQ(ann.GetState(), GameClient::State::kPlaying);
  World mine;
  BuildWalledFieldLevel(mine);
  mine.spawnPoints = world.spawnPoints;
  PlayerShip* ship = mine.AddShip(ann.Player());
  ship->armed = false;
  ShipPrediction prediction;
  float largest = 0.0f;
  int corrections = 0;
  for (int tick = 0; tick < 400; ++tick) {
    ShipCommand command;
    command.yaw = 0.6f * static_cast<float>(tick);
    command.pitch = 10.0f;
    command.controls = static_cast<uint8_t>(tick % 90 < 60 ? kControlThrust : kControlStrafeLeft);
    command = QuantizedCommand(command);
    prediction.Play(mine, *ship, ann.SendCommand(command), command);
    server->Receive(1);
    server->Tick();
    std::string reason;
    ann.Receive(1, reason);
    if (ann.TakeFreshSnapshot() && tick > 30) {
      // The first puts the ship where the server had it all along.
      const float error = prediction.Correct(mine, *ship, ann.Own(), ann.OwnCommand()).Length();
      if (corrections++ > 0) largest = std::max(largest, error);
    }
  }
  EXPECT_GT(corrections, 50);
  EXPECT_LT(largest, 0.001f);
  EXPECT_GT(ship->position.Length(), 60.0f);  // it went somewhere
}

}  // namespace

// The network game over a bad link: a server and two bot clients on the
// default arena, in one process, their packets passed through a relay on
// loopback that drops 5 % of them and delays each by 100 +- 20 ms. After
// 20 s the drops stop; from 200 ms later every client's picture of every
// ship is compared with where the server had that ship at the moment the
// picture shows: other ships as drawn between snapshots, its own as
// predicted. Prints the largest differences and whether anyone was lost.
//   net_bench [LOSSY_SECONDS] [CLEAN_SECONDS]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "net/bot.h"
#include "net/client.h"
#include "net/interpolation.h"
#include "net/prediction.h"
#include "net/server.h"
#include "platform/clock.h"
#include "world/player_ship.h"
#include "world/world.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint16_t kServerPort = 27990;
constexpr uint16_t kRelayPort = 27991;

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

int UdpSocket(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::perror("net_bench: socket");
    std::exit(1);
  }
  return fd;
}

// Passes datagrams between clients and the server, each client through a
// socket of its own toward the server, dropping and delaying them.
class LossyRelay {
 public:
  LossyRelay() : front_(UdpSocket(kRelayPort)) {}
  void SetDropping(bool dropping) { dropping_ = dropping; }

  void Pump() {
    Read(front_, true);
    for (auto& [key, back] : backs_) Read(back.fd, false, key);
    const auto now = Clock::now();
    while (!queue_.empty() && queue_.front().due <= now) {
      const Datagram& d = queue_.front();
      sendto(d.fd, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&d.to), sizeof d.to);
      queue_.pop_front();
    }
  }

 private:
  struct Datagram {
    Clock::time_point due;
    int fd;
    sockaddr_in to;
    std::vector<uint8_t> bytes;
  };
  struct Back {
    int fd;
    sockaddr_in client;
  };

  void Read(int fd, bool fromClient, uint64_t key = 0) {
    uint8_t buffer[2048];
    for (;;) {
      sockaddr_in from{};
      socklen_t length = sizeof from;
      const ssize_t n = recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &length);
      if (n <= 0) return;
      if (dropping_ && unit_(random_) < 0.05) continue;
      Datagram d;
      d.due = Clock::now() + std::chrono::microseconds(static_cast<int>((100.0 + 40.0 * (unit_(random_) - 0.5)) * 1000));
      d.bytes.assign(buffer, buffer + n);
      if (fromClient) {
        const uint64_t client = (static_cast<uint64_t>(from.sin_addr.s_addr) << 16) | from.sin_port;
        auto found = backs_.find(client);
        if (found == backs_.end()) found = backs_.emplace(client, Back{UdpSocket(0), from}).first;
        d.fd = found->second.fd;
        d.to.sin_family = AF_INET;
        d.to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        d.to.sin_port = htons(kServerPort);
      } else {
        d.fd = front_;
        d.to = backs_.at(key).client;
      }
      // Delivered in the order they fall due, as a jittery link does.
      auto at = std::upper_bound(queue_.begin(), queue_.end(), d.due,
                                 [](const Clock::time_point& t, const Datagram& x) { return t < x.due; });
      queue_.insert(at, std::move(d));
    }
  }

  int front_;
  std::map<uint64_t, Back> backs_;
  std::deque<Datagram> queue_;
  bool dropping_ = true;
  std::mt19937 random_{5};
  std::uniform_real_distribution<double> unit_{0.0, 1.0};
};

struct Client {
  std::unique_ptr<World> world;
  net::GameClient connection;
  net::ShipPrediction prediction;
  net::BotPilot pilot;
  PlayerShip* ship = nullptr;
  uint32_t snapshotAt = 0;  // the server tick the newest snapshot arrived by
  std::map<uint32_t, Vector3> predicted;  // the ship's place after each command, as predicted
  double worstOther = 0.0, worstOwn = 0.0;
  explicit Client(uint32_t seed) : pilot(seed) {}
};

std::unique_ptr<World> LoadArena(bool localShip) {
  auto world = std::make_unique<World>();
  world->localShip = localShip;
  std::string error;
  if (!world->Load(DRIFTWING_DATA_DIR "/map.wrl", error)) {
    std::fprintf(stderr, "net_bench: %s\n", error.c_str());
    std::exit(1);
  }
  return world;
}

}  // namespace

int main(int argc, char** argv) {
  const double lossy = argc > 1 ? std::atof(argv[1]) : 20.0;
  const double clean = argc > 2 ? std::atof(argv[2]) : 5.0;
  static uint32_t serverTick = 0;
  platform::SetTickSource([] { return 1000u + serverTick * 1000u / net::kTickRate; });

  std::unique_ptr<World> serverWorld = LoadArena(false);
  gWorld = serverWorld.get();
  serverWorld->random.Seed(3);
  net::ServerSettings settings;
  settings.port = kServerPort;
  settings.roundSeconds = 3600.0f;
  net::GameServer server(*serverWorld, settings);
  int lost = 0;
  server.log = [&lost](const std::string& line) {
    if (line.find("lost") != std::string::npos || line.find("dropped") != std::string::npos) ++lost;
  };
  std::string error;
  if (!server.Listen(error)) {
    std::fprintf(stderr, "net_bench: %s\n", error.c_str());
    return 1;
  }
  LossyRelay relay;
  std::vector<std::unique_ptr<Client>> clients;
  for (uint32_t i = 0; i < 2; ++i) {
    clients.push_back(std::make_unique<Client>(7 + i));
    Client& c = *clients.back();
    c.world = LoadArena(true);
    c.ship = c.world->ShipOf(0);
    c.ship->armed = false;
    if (!c.connection.Connect("127.0.0.1", kRelayPort, "Bench", 0, 0, error)) return 1;
  }
  // The server's ships, tick by tick, by player; and where each was after
  // each command it played.
  std::map<uint32_t, std::map<int, std::pair<Vector3, uint32_t>>> truth;
  std::map<int, std::map<uint32_t, Vector3>> afterCommand;

  const auto start = Clock::now();
  bool dropping = true;
  for (uint32_t tick = 1; Seconds(start) < lossy + clean; ++tick) {
    const auto due = start + std::chrono::microseconds(tick * 1000000ull / net::kTickRate);
    while (Clock::now() < due) {
      relay.Pump();
      server.Receive(0);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    if (dropping && Seconds(start) >= lossy) {
      dropping = false;
      relay.SetDropping(false);
    }
    serverTick = tick;
    gWorld = serverWorld.get();
    server.Tick();
    for (size_t p = 0; p < server.Players().size(); ++p) {
      if (PlayerShip* s = serverWorld->ShipOf(static_cast<int>(p))) {
        const uint32_t played = server.Players()[p].lastPlayed;
        truth[tick][static_cast<int>(p)] = {s->position, played};
        if (!s->held) afterCommand[static_cast<int>(p)][played] = s->position;
      }
    }
    const bool judged = !dropping && Seconds(start) >= lossy + 0.2;
    for (auto& c : clients) {
      std::string why;
      if (!c->connection.Receive(0, why)) {
        std::fprintf(stderr, "net_bench: a client was lost: %s\n", why.c_str());
        ++lost;
        continue;
      }
      if (c->connection.GetState() != net::GameClient::State::kPlaying) continue;
      c->ship->player = c->connection.Player();
      const ShipCommand command = net::QuantizedCommand(c->pilot.Next());
      const uint32_t number = c->connection.SendCommand(command);
      c->prediction.Play(*c->world, *c->ship, number, command);
      c->predicted[number] = c->ship->position;
      while (c->predicted.size() > 600) c->predicted.erase(c->predicted.begin());
      if (c->connection.TakeFreshSnapshot()) {
        c->prediction.Correct(*c->world, *c->ship, c->connection.Own(), c->connection.OwnCommand());
        c->snapshotAt = tick;
      }
      if (!judged || c->connection.Snapshots().empty()) continue;
      // Other ships: as drawn, against the server at the tick drawn.
      const float drawnTick = static_cast<float>(c->connection.Snapshots().back().sequence) +
                              std::min<float>(static_cast<float>(tick - c->snapshotAt), net::kTicksPerSnapshot) -
                              net::kInterpolationTicks;
      const uint32_t whole = static_cast<uint32_t>(drawnTick);
      for (const net::DrawnEntity& e : net::EntitiesAt(c->connection.Snapshots(), drawnTick)) {
        if (e.kind != net::SnapshotKind::kShip || e.owner == c->connection.Player()) continue;
        if (!truth.count(whole) || !truth.count(whole + 1) || !truth[whole].count(e.owner)) continue;
        const Vector3 a = truth[whole][e.owner].first, b = truth[whole + 1][e.owner].first;
        const Vector3 server_at = a + (b - a) * (drawnTick - static_cast<float>(whole));
        c->worstOther = std::max(c->worstOther, static_cast<double>((e.position - server_at).Length()));
      }
      // Its own ship: as predicted after a command, against the server
      // after that same command.
      const auto& server_after = afterCommand[c->connection.Player()];
      const uint32_t played = c->connection.OwnCommand();
      auto was = c->predicted.find(played);
      auto is = server_after.find(played);
      if (was != c->predicted.end() && is != server_after.end()) {
        c->worstOwn = std::max(c->worstOwn, static_cast<double>((was->second - is->second).Length()));
      }
    }
    while (!truth.empty() && truth.begin()->first + 600 < tick) truth.erase(truth.begin());
  }
  std::printf("net_bench: %.0f s with 5 %% of packets dropped and 100 +- 20 ms of delay, then %.0f s "
              "without drops\n", lossy, clean);
  for (size_t i = 0; i < clients.size(); ++i) {
    std::printf("  client %zu: from 200 ms after the drops stopped, other ships drawn within %.3f "
                "units of the server's, its own predicted within %.3f\n",
                i, clients[i]->worstOther, clients[i]->worstOwn);
  }
  std::printf("  players lost: %d\n", lost);
  return lost == 0 ? 0 : 1;
}

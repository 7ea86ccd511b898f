// Writes one message of each kind the network game sends into the folder
// given on the command line, as the message decoder's seed corpus.
#include <cstdio>
#include <string>
#include <vector>

#include "net/messages.h"
#include "tools/common/byte_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: net_seeds FOLDER\n");
    return 2;
  }
  using namespace net;
  std::vector<std::vector<uint8_t>> seeds;
  Hello hello;
  hello.name = "Pilot";
  seeds.push_back(Encode(hello));
  Commands commands;
  commands.newest = 9;
  commands.snapshotHeld = 40;
  commands.commands.resize(4);
  commands.commands[1].controls = kControlFire | kControlThrust;
  commands.commands[2].pitch = 45.0f;
  seeds.push_back(Encode(commands));
  seeds.push_back(Encode(Welcome{kProtocolVersion, 3, 77, 1000, 180.0f}));
  seeds.push_back(Encode(Refused{"the server is full"}));
  seeds.push_back(Encode(PlayerNote{2, true, "Bot", 1}));
  Events events;
  events.list.push_back({WorldEventKind::kDroneDestroyed, Vector3(10, 20, 30), 1, -1});
  events.list.push_back({WorldEventKind::kShipDestroyed, Vector3(-5, 2, 8), -1, 4});
  seeds.push_back(Encode(events));
  Scores scores;
  scores.timeLeft = 30.0f;
  scores.players = {0, 2};
  scores.tallies = {PlayerTally{3, 10, 4, 1}, PlayerTally{0, 2, 0, 3}};
  seeds.push_back(Encode(scores));
  std::vector<EntityState> base(3), now(4);
  for (size_t i = 0; i < now.size(); ++i) {
    now[i].id = static_cast<uint16_t>(3 * i + 1);
    now[i].x = static_cast<int32_t>(120 * i);
    now[i].kind = static_cast<SnapshotKind>(i % 3);
    if (i < base.size()) base[i] = now[i];
  }
  now[1].yaw = 9000;
  SnapshotMessage snapshot{50, 0, 48, {}, {}};
  snapshot.own.present = true;
  snapshot.own.hull = 75.0f;
  seeds.push_back(Encode(snapshot, {}, now));
  snapshot.base = 46;
  seeds.push_back(Encode(snapshot, base, now));
  for (size_t i = 0; i < seeds.size(); ++i) {
    std::string error;
    if (!WriteFileBytes(std::string(argv[1]) + "/seed" + std::to_string(i), seeds[i], error)) {
      std::fprintf(stderr, "net_seeds: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}

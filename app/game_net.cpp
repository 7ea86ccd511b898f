// The Game's network play: hosting or joining, each frame's ticks, leaving.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/game_input.h"
#include "app/options.h"
#include "assets/byte_reader.h"
#include "menu/menu_callbacks.h"
#include "net/enet_host.h"
#include "platform/crc32.h"
#include "settings/settings.h"
#include "world/player_ship.h"

namespace {

// The level's checksum, which the server and its clients compare: a client
// with another map.wrl would see walls where the server has none.
bool LevelChecksum(uint32_t& checksum, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile("map.wrl", bytes, error)) return false;
  checksum = Crc32(bytes.data(), bytes.size());
  return true;
}

}  // namespace

void Game::StartNetGame(bool hosting, const std::string& address) {
  if (net) EndNetGame("");
  if (status.inProgress) {
    world.Clear();
    status.inProgress = false;
  }
  std::string error;
  uint32_t checksum = 0;
  std::string host;
  uint16_t port = gOptions.port ? gOptions.port : net::kDefaultPort;
  if (!hosting && !net::SplitAddress(address, host, port, error)) {
    EndNetGame(error);
    return;
  }
  ShowLoadingScreen();
  world.Clear();
  world.localShip = true;
  // A client's world holds only what it predicts; the server has the drones.
  world.dronesPlay = hosting && gSettings.drones;
  if (!LevelChecksum(checksum, error) || !world.Load("map.wrl", error)) {
    EndNetGame("cannot load the level " + error);
    return;
  }
  if (!LoadLevelTextures(error)) {
    EndNetGame(error);
    return;
  }
  world.random.Seed(lastFrameTicks);
  const uint8_t colour = static_cast<uint8_t>(gSettings.shipColour);
  const auto roundSeconds = static_cast<float>(gSettings.roundSeconds);
  if (hosting) {
    net = NetSession::Host(world, port, gSettings.name, colour, roundSeconds, checksum, error);
  } else {
    net = NetSession::Join(world, host, port, gSettings.name, colour, checksum, error);
  }
  if (!net) {
    EndNetGame(error);
    return;
  }
  std::fprintf(stderr, "driftwing: %s %s\n", hosting ? "hosting a game on" : "joining the game at",
               net->Address().c_str());
  status.inProgress = true;
  camera.ResetAngles();
  EnterPlay();
}

bool Game::StepNetGame(const ShipCommand& command) {
  std::string why;
  if (net->Frame(lastFrameTicks, command, why)) return true;
  EndNetGame(why);
  return false;
}

void Game::EndNetGame(const std::string& why) {
  if (!why.empty()) {
    std::fprintf(stderr, "driftwing: %s\n", why.c_str());
    menu.ShowNotice(why);
  }
  net.reset();
  world.Clear();
  status.inProgress = false;
  if (state == kStatePlaying) {
    state = kStateMenu;
    CapturePointer(false);
    IgnoreHeldKeys();
  }
  gMenuPage = kMenuPageMain;
}

void Game::ShowNetResults() {
  PlayerTally mine;
  for (const ScoreLine& line : net->Scoreboard()) {
    if (line.mine) mine = line.tally;
  }
  bestScore = std::max(bestScore, mine.score);
  std::printf("round over: score %d, shots %d, hits %d, accuracy %d %%, losses %d; best score %d\n",
              mine.score, mine.shots, mine.hits, mine.Accuracy(), mine.losses, bestScore);
  std::fflush(stdout);
  if (state == kStatePlaying) {
    state = kStateMenu;
    CapturePointer(false);
    IgnoreHeldKeys();
  }
  menu.ShowResults(mine, bestScore);
}

#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/data_dir.h"
#include "app/failure.h"
#include "app/game.h"
#include "app/options.h"
#include "app/video.h"
#include "assets/byte_reader.h"
#include "demo/demo_session.h"
#include "net/bot.h"
#include "net/dedicated_server.h"
#include "net/enet_host.h"
#include "net/game_record.h"
#include "platform/crash_report.h"
#include "platform/leak_check.h"
#include "settings/settings_store.h"

namespace {

// Whether the file at `path` is a network game a server recorded.
bool IsRecordedGame(const std::string& path) {
  std::string notPlain;
  if (!IsPlainFile(path.c_str(), notPlain)) return false;  // the demo's reader says why
  std::vector<uint8_t> start(sizeof net::kGameRecordMagic);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  start.resize(std::fread(start.data(), 1, start.size(), file));
  std::fclose(file);
  return net::IsGameRecord(start);
}

}  // namespace

int main(int argc, char** argv) {
  platform::ReportCrashes();
  ParsedOptions parsed = ParseOptions(argc, argv);
  if (parsed.outcome == ParsedOptions::kHelp) {
    PrintUsage(stdout);
    return 0;
  }
  if (parsed.outcome == ParsedOptions::kBad) {
    std::fprintf(stderr, "driftwing: %s\n", parsed.error.c_str());
    PrintUsage(stderr);
    return 2;
  }
  gOptions = parsed.options;
  // Named from where the game was started, wherever the data is.
  if (!gOptions.settingsPath.empty()) {
    std::error_code ignored;
    gOptions.settingsPath = std::filesystem::absolute(gOptions.settingsPath, ignored).string();
  }
  // Data paths stay relative to the working directory; it may move to the
  // installed data or to the folder --data names.
  std::string error;
  if (!EnterDataDir(gOptions, error)) return Fail(error);
  // A server and a bot need no window, no sound and no demo.
  if (gOptions.server) {
    net::DedicatedOptions server;
    server.port = gOptions.port ? gOptions.port : net::kDefaultPort;
    server.roundSeconds = gOptions.roundSeconds;
    server.dronesPlay = gOptions.dronesPlay;
    server.recordPath = gOptions.recordPath;
    return net::RunDedicatedServer(server);
  }
  // A recorded network game replays with no window: it is the server's.
  if (!gOptions.playPath.empty() && IsRecordedGame(gOptions.playPath)) {
    return net::ReplayGameRecord(gOptions.playPath);
  }
  if (gOptions.bot) {
    net::BotOptions bot;
    if (!net::SplitAddress(gOptions.connect, bot.host, bot.port, error)) return Fail(error);
    bot.seed = gOptions.seed;
    bot.name = gOptions.name == "Pilot" ? "Bot " + std::to_string(gOptions.seed) : gOptions.name;
    return net::RunBot(bot);
  }
  // A damaged settings file never stops the game: each bad value is at its
  // default, told in a line.
  std::vector<std::string> problems;
  LoadSettings(gOptions.settingsPath, problems);
  for (const std::string& problem : problems) std::fprintf(stderr, "driftwing: %s\n", problem.c_str());
  ApplyCommandLine(gOptions, gSettings);
  // A demo that cannot be read or written is refused before any window opens.
  DemoSession demo;
  if (!demo.Open(gOptions.recordPath, gOptions.playPath, gOptions.timedemoPath, error)) {
    return Fail(error);
  }
  // A replay plays as it was recorded, whatever the file says, and the
  // clicks it replays on the menu's pages write nothing.
  if (demo.UseRecordedSettings(gSettings, parsed.options.windowWidth > 0)) {
    gSettingsStore.writes = false;
  }
  ShowInOptions(gSettings, gOptions);
  // Sound starts on its own in Game::Startup: without it the game still plays.
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) == -1) {
    return Fail(std::string("start-up failed: cannot start SDL: ") + SDL_GetError());
  }
  // The menu uploads a texture as it is built, so the window comes first.
  if (!InitVideo(error)) {
    SDL_Quit();
    return Fail(error);
  }
  platform::KeepLoadedLibrariesForLeakCheck();  // the GL driver is loaded by now
  bool cleanQuit;
  {
    demo.Start(gScreenWidth, gScreenHeight);
    Game game;
    cleanQuit = game.Run();
    if (cleanQuit && !demo.Finish(WorldStateHash(game.world, game.camera))) cleanQuit = false;
  }
  SDL_Quit();
  demo.PassOnStopSignal();
  return cleanQuit ? 0 : 1;
}

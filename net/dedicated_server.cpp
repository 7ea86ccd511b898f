#include "net/dedicated_server.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include "assets/byte_reader.h"
#include "net/game_record.h"
#include "net/server.h"
#include "net/server_clock.h"
#include "platform/clock.h"
#include "platform/crc32.h"
#include "world/world.h"
#include "world/world_hash.h"

namespace net {
namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int) { gStop = 1; }

std::string HashText(uint64_t hash) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

void Log(const std::string& line) {
  std::fprintf(stderr, "driftwing: server: %s\n", line.c_str());
  std::fflush(stderr);
}

// The minute's line: players, traffic and how long the ticks took.
void Report(const GameServer& server, double seconds, uint64_t in, uint64_t out,
            std::vector<double>& tickMs) {
  std::string names;
  for (const ServerPlayer& p : server.Players()) {
    if (p.welcomed) names += (names.empty() ? "" : ", ") + p.name;
  }
  std::sort(tickMs.begin(), tickMs.end());
  const double median = tickMs.empty() ? 0.0 : tickMs[tickMs.size() / 2];
  const double p99 = tickMs.empty() ? 0.0 : tickMs[(tickMs.size() * 99) / 100];
  char line[512];
  std::snprintf(line, sizeof line,
                "%d player(s)%s%s%s; %.2f KiB/s in, %.2f KiB/s out; tick %.3f ms median, %.3f ms p99",
                server.PlayerCount(), names.empty() ? "" : " (", names.c_str(),
                names.empty() ? "" : ")", static_cast<double>(in) / 1024.0 / seconds,
                static_cast<double>(out) / 1024.0 / seconds, median, p99);
  Log(line);
  tickMs.clear();
}

}  // namespace

int RunDedicatedServer(const DedicatedOptions& options) {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  UseServerClock();

  std::vector<uint8_t> levelBytes;
  std::string error;
  if (!ReadWholeFile("map.wrl", levelBytes, error)) {
    Log("cannot read the level map.wrl: " + error);
    return 1;
  }
  World world;
  world.localShip = false;
  world.dronesPlay = options.dronesPlay;
  if (!world.Load("map.wrl", error)) {
    Log("cannot load the level " + error);
    return 1;
  }
  gWorld = &world;
  using Clock = std::chrono::steady_clock;
  const uint64_t seed = static_cast<uint64_t>(Clock::now().time_since_epoch().count());
  world.random.Seed(seed);

  ServerSettings settings;
  settings.port = options.port;
  settings.roundSeconds = options.roundSeconds;
  settings.levelChecksum = Crc32(levelBytes.data(), levelBytes.size());
  GameServer server(world, settings);
  server.log = Log;
  GameRecorder recorder;
  if (!options.recordPath.empty()) {
    GameRecordHeader header{seed, options.roundSeconds, options.dronesPlay, settings.levelChecksum};
    if (!recorder.Open(options.recordPath, header, error)) {
      Log("cannot record the game in " + options.recordPath + ": " + error);
      return 1;
    }
    server.recorder = &recorder;
  }
  if (!server.Listen(error)) {
    Log(error);
    return 1;
  }
  Log("listening on port " + std::to_string(options.port) + ", playing map.wrl in rounds of " +
      std::to_string(static_cast<int>(options.roundSeconds)) + " s");

  const auto start = Clock::now();
  auto reportFrom = start;
  uint64_t inBefore = 0, outBefore = 0;
  std::vector<double> tickMs;
  uint64_t ticks = 0;
  while (!gStop) {
    const auto due = start + std::chrono::microseconds(ticks * 1000000 / kTickRate);
    const auto now = Clock::now();
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
    server.Receive(wait > 0 ? static_cast<uint32_t>(wait) : 0);
    if (Clock::now() < due) continue;
    const auto tickStart = Clock::now();
    SetServerTick(static_cast<uint32_t>(++ticks));
    server.Tick();
    tickMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - tickStart).count());
    if (Clock::now() - reportFrom >= std::chrono::minutes(1)) {
      const double seconds = std::chrono::duration<double>(Clock::now() - reportFrom).count();
      Report(server, seconds, server.BytesReceived() - inBefore, server.BytesSent() - outBefore, tickMs);
      reportFrom = Clock::now();
      inBefore = server.BytesReceived();
      outBefore = server.BytesSent();
    }
  }
  Log("stopping");
  server.Shut("the server has stopped");
  int status = 0;
  if (server.recorder) {
    Fnv1a hash;
    AddWorld(hash, world);
    if (recorder.Finish(hash.Value(), error)) {
      Log("recorded the game in " + options.recordPath + "; its world state hash is " +
          HashText(hash.Value()));
    } else {
      Log("cannot record the game in " + options.recordPath + ": " + error);
      status = 1;
    }
  }
  platform::SetTickSource(nullptr);
  gWorld = nullptr;
  return status;
}

}  // namespace net

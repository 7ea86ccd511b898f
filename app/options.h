#pragma once
#include <cstdio>
#include <string>

struct Settings;

// What the game reads from its command line. With no arguments every field
// keeps its default and the game starts as the settings file says, from the
// working directory's data. The command line's values hold for one run and
// are never saved.
struct Options {
  bool window = false;       // --window [WxH]: play in a window instead of full screen
  int windowWidth = 0;       // the picture's size from --window WxH (or, once the settings
                             // are read, from them); 0: the standard size
  int windowHeight = 0;
  std::string dataDir;       // --data DIR: where the game's data lives
  std::string recordPath;    // --record FILE: write a demo of this session
  std::string playPath;      // --play FILE: replay a demo
  std::string timedemoPath;  // --timedemo FILE: replay a demo as fast as it draws
  std::string settingsPath;  // --settings FILE: the settings file instead of the usual one
  float roundSeconds = 180.0f;  // --round SECONDS: how long a round lasts
  bool roundGiven = false;
  bool dronesPlay = true;       // --no-drones: rounds without drones
  // Network play: --server [PORT] runs a server with no window; --host
  // [PORT] hosts a game and plays in it; --connect HOST[:PORT] joins one,
  // and with --bot plays it with no window from a script seeded by --seed.
  bool server = false;
  bool host = false;
  uint16_t port = 0;            // 0: the default port
  std::string connect;
  bool bot = false;
  uint32_t seed = 1;
  std::string name = "Pilot";   // --name NAME: the name others see
  bool nameGiven = false;
};

struct ParsedOptions {
  enum Outcome { kRun, kHelp, kBad };
  Outcome outcome = kRun;
  Options options;
  std::string error;  // why the command line was refused (kBad)
};

ParsedOptions ParseOptions(int argc, const char* const* argv);
void PrintUsage(std::FILE* out);

// Puts what the command line gave over the settings read from the file.
void ApplyCommandLine(const Options& options, Settings& settings);
// Makes `options` say what is in effect: the window and its size, the
// round, the drones and the name.
void ShowInOptions(const Settings& settings, Options& options);

// The options the game was started with.
extern Options gOptions;

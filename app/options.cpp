#include "app/options.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/settings.h"

Options gOptions;

namespace {


// An option that takes a value: its name and the field the value goes to.
struct ValueOption {
  const char* name;
  std::string Options::*field;
};

constexpr ValueOption kValueOptions[] = {
    {"--data", &Options::dataDir},
    {"--record", &Options::recordPath},
    {"--play", &Options::playPath},
    {"--timedemo", &Options::timedemoPath},
    {"--connect", &Options::connect},
    {"--name", &Options::name},
    {"--settings", &Options::settingsPath},
};

// The sizes --window accepts: from the smallest the menu and HUD are laid out
// for, to the largest window SDL makes.
constexpr int kSmallestWidth = 640;
constexpr int kSmallestHeight = 480;
constexpr int kLargestSide = 16384;

// A window size as "WxH", both plain decimal numbers.
bool ParseWindowSize(const char* text, int& width, int& height) {
  auto number = [](const char*& p, int& value) {
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    long n = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
      n = n * 10 + (*p++ - '0');
      if (n > kLargestSide) return false;
    }
    value = static_cast<int>(n);
    return true;
  };
  const char* p = text;
  return number(p, width) && (*p == 'x' || *p == 'X') && number(++p, height) && *p == '\0';
}

// A whole decimal number from `lo` to `hi`.
bool Number(const char* text, long lo, long hi, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= lo && value <= hi;
}

}  // namespace

ParsedOptions ParseOptions(int argc, const char* const* argv) {
  ParsedOptions parsed;
  auto refuse = [&parsed](std::string why) {
    parsed.outcome = ParsedOptions::kBad;
    parsed.error = std::move(why);
    return parsed;
  };
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      parsed.outcome = ParsedOptions::kHelp;
      return parsed;
    }
    if (std::strcmp(arg, "--window") == 0) {
      parsed.options.window = true;
      // A size may follow; nothing else that follows starts with a digit.
      if (i + 1 < argc && std::isdigit(static_cast<unsigned char>(argv[i + 1][0]))) {
        const char* size = argv[++i];
        int width = 0;
        int height = 0;
        if (!ParseWindowSize(size, width, height) || width < kSmallestWidth ||
            height < kSmallestHeight) {
          return refuse(std::string("--window: '") + size +
                        "' is not a size from 640x480 to 16384x16384");
        }
        parsed.options.windowWidth = width;
        parsed.options.windowHeight = height;
      }
      continue;
    }
    if (std::strcmp(arg, "--no-drones") == 0) {
      parsed.options.dronesPlay = false;
      continue;
    }
    if (std::strcmp(arg, "--bot") == 0) {
      parsed.options.bot = true;
      continue;
    }
    if (std::strcmp(arg, "--server") == 0 || std::strcmp(arg, "--host") == 0) {
      (arg[2] == 's' ? parsed.options.server : parsed.options.host) = true;
      // A port may follow; nothing else that follows starts with a digit.
      if (i + 1 < argc && std::isdigit(static_cast<unsigned char>(argv[i + 1][0]))) {
        long port = 0;
        if (!Number(argv[++i], 1, 65535, port)) {
          return refuse(std::string(arg) + ": '" + argv[i] + "' is not a port from 1 to 65535");
        }
        parsed.options.port = static_cast<uint16_t>(port);
      }
      continue;
    }
    if (std::strcmp(arg, "--seed") == 0) {
      long seed = 0;
      if (i + 1 >= argc || !Number(argv[++i], 0, 2147483647, seed)) {
        return refuse("option '--seed' needs a number from 0 to 2147483647");
      }
      parsed.options.seed = static_cast<uint32_t>(seed);
      continue;
    }
    if (std::strcmp(arg, "--round") == 0) {
      char* end = nullptr;
      const char* value = i + 1 < argc ? argv[i + 1] : "";
      const long seconds = std::strtol(value, &end, 10);
      if (end == value || *end != '\0' || seconds < 1 || seconds > kMaxRoundSeconds) {
        return refuse("option '--round' needs a number of seconds from 1 to " +
                      std::to_string(kMaxRoundSeconds));
      }
      parsed.options.roundSeconds = static_cast<float>(seconds);
      parsed.options.roundGiven = true;
      ++i;
      continue;
    }
    const ValueOption* match = nullptr;
    for (const ValueOption& option : kValueOptions) {
      if (std::strcmp(arg, option.name) == 0) match = &option;
    }
    if (!match) return refuse(std::string("unknown option '") + arg + "'");
    if (i + 1 >= argc || argv[i + 1][0] == '\0') {
      return refuse(std::string("option '") + arg + "' needs a value");
    }
    parsed.options.*(match->field) = argv[++i];
    if (match->field == &Options::name) {
      if (!IsPrintableName(parsed.options.name)) {
        return refuse("option '--name' needs 1 to 16 printable ASCII characters");
      }
      parsed.options.nameGiven = true;
    }
  }
  const Options& o = parsed.options;
  int demoModes = !o.recordPath.empty() + !o.playPath.empty() + !o.timedemoPath.empty();
  if (demoModes > 1) return refuse("--record, --play and --timedemo exclude each other");
  const int netModes = o.server + o.host + !o.connect.empty();
  if (netModes > 1) return refuse("--server, --host and --connect exclude each other");
  if (netModes > 0 && demoModes > 0 && !(o.server && !o.recordPath.empty() && demoModes == 1)) {
    return refuse("demos are recorded and replayed alone; a server records with --server --record");
  }
  if (o.bot && o.connect.empty()) return refuse("--bot plays a game it joins: give --connect HOST");
  return parsed;
}

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: driftwing [OPTION]...\n"
      "Steer a craft over an arena, look around with the mouse and fire rockets.\n"
      "\n"
      "  --window [WxH]    play in a window instead of full screen, at the size the\n"
      "                    video page set unless a size is given (at least 640x480)\n"
      "  --round SECONDS   make a round last SECONDS (default 180)\n"
      "  --no-drones       play rounds without drones\n"
      "  --settings FILE   read and write the settings in FILE instead of\n"
      "                    $XDG_CONFIG_HOME/driftwing/settings.toml (by default\n"
      "                    ~/.config/driftwing/settings.toml)\n"
      "  --data DIR        read the game's data from DIR\n"
      "  --record FILE     record this session as a demo in FILE\n"
      "  --play FILE       replay the demo in FILE and print the world's hash\n"
      "  --timedemo FILE   replay the demo in FILE as fast as it draws and print the frame rate\n"
      "  --help            show this help and exit\n"
      "\n"
      "Network play (the default port is 27950, UDP):\n"
      "  --host [PORT]     host a game and play in it\n"
      "  --connect HOST[:PORT]  join the game at HOST\n"
      "  --name NAME       the name others see (printable, at most 16 characters)\n"
      "  --server [PORT]   run a server with no window and no sound, until stopped;\n"
      "                    it prints a line a minute with its players and traffic\n"
      "  --server [PORT] --record FILE  also record the game for an exact replay,\n"
      "                    which --play FILE replays with no window\n"
      "  --bot             with --connect, play with no window from a seeded script\n"
      "  --seed N          the bot's script (default 1)\n"
      "\n"
      "The settings file holds what the menu's Options pages set; the options\n"
      "above hold for one run and are never saved in it.\n"
      "\n"
      "In play: mouse looks, W/S or Up/Down thrust, A/D or Left/Right strafe,\n"
      "the left button fires, Escape opens the menu (the Control Options page\n"
      "binds other keys; the arrows keep steering unless bound elsewhere).\n"
      "Without a sound device the game plays in silence.\n",
      out);
}

void ApplyCommandLine(const Options& options, Settings& settings) {
  if (options.window) {
    settings.fullScreen = false;
    if (options.windowWidth > 0) {
      settings.width = options.windowWidth;
      settings.height = options.windowHeight;
    }
  }
  if (options.roundGiven) settings.roundSeconds = static_cast<int>(options.roundSeconds);
  if (!options.dronesPlay) settings.drones = false;
  if (options.nameGiven) settings.name = options.name;
}

void ShowInOptions(const Settings& settings, Options& options) {
  options.window = !settings.fullScreen;
  options.windowWidth = settings.width;
  options.windowHeight = settings.height;
  options.roundSeconds = static_cast<float>(settings.roundSeconds);
  options.dronesPlay = settings.drones;
  options.name = settings.name;
}

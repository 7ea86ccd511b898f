#include "app/options.h"

#include <cstdlib>
#include <cstring>
#include <string>

Options gOptions;

namespace {

constexpr long kMaxRoundSeconds = 3600;

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
};

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
  }
  const Options& o = parsed.options;
  int demoModes = !o.recordPath.empty() + !o.playPath.empty() + !o.timedemoPath.empty();
  if (demoModes > 1) return refuse("--record, --play and --timedemo exclude each other");
  return parsed;
}

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: driftwing [OPTION]...\n"
      "Steer a craft over an arena, look around with the mouse and fire rockets.\n"
      "\n"
      "  --window          play in a window instead of full screen\n"
      "  --round SECONDS   make a round last SECONDS (default 180)\n"
      "  --data DIR        read the game's data from DIR\n"
      "  --record FILE     record this session as a demo in FILE\n"
      "  --play FILE       replay the demo in FILE and print the world's hash\n"
      "  --timedemo FILE   replay the demo in FILE as fast as it draws and print the frame rate\n"
      "  --help            show this help and exit\n"
      "\n"
      "In play: mouse looks, W/S or Up/Down thrust, A/D or Left/Right strafe,\n"
      "the left button fires, Escape opens the menu.\n",
      out);
}

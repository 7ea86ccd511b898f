#include "app/options.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

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
      "  --window [WxH]    play in a window instead of full screen, 1024x768 unless\n"
      "                    a size is given (at least 640x480)\n"
      "  --data DIR        read the game's data from DIR\n"
      "  --record FILE     record this session as a demo in FILE\n"
      "  --play FILE       replay the demo in FILE and print the world's hash\n"
      "  --timedemo FILE   replay the demo in FILE as fast as it draws and print the frame rate\n"
      "  --help            show this help and exit\n"
      "\n"
      "In play: mouse looks, W/S or Up/Down thrust, A/D or Left/Right strafe,\n"
      "the left button fires, Escape opens the menu.\n"
      "Without a sound device the game plays in silence.\n",
      out);
}

#include "app/options.h"

#include <gtest/gtest.h>

#include <vector>

#include "settings/settings.h"

namespace {

ParsedOptions Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "driftwing");
  return ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(Options, ReadsEveryOption) {
  ParsedOptions parsed = Parse({"--window", "--data", "/d", "--record", "r.dem"});
  ASSERT_EQ(parsed.outcome, ParsedOptions::kRun);
  EXPECT_TRUE(parsed.options.window);
  EXPECT_EQ(parsed.options.dataDir, "/d");
  EXPECT_EQ(parsed.options.recordPath, "r.dem");
  EXPECT_EQ(Parse({"--play", "p"}).options.playPath, "p");
  EXPECT_EQ(Parse({"--timedemo", "t"}).options.timedemoPath, "t");
}

TEST(Options, WindowTakesAnOptionalSize) {
  const struct {
    std::vector<const char*> args;
    int width, height;
  } cases[] = {
      {{"--window"}, 0, 0},
      {{"--window", "800x600"}, 800, 600},
      {{"--window", "1280X720", "--data", "/d"}, 1280, 720},
      {{"--window", "640x480"}, 640, 480},
      {{"--window", "--data", "/d"}, 0, 0},
  };
  for (const auto& c : cases) {
    ParsedOptions parsed = Parse(c.args);
    ASSERT_EQ(parsed.outcome, ParsedOptions::kRun) << parsed.error;
    EXPECT_TRUE(parsed.options.window);
    EXPECT_EQ(parsed.options.windowWidth, c.width);
    EXPECT_EQ(parsed.options.windowHeight, c.height);
  }
}

TEST(Options, HelpWinsOverTheRest) {
  EXPECT_EQ(Parse({"--window", "--help"}).outcome, ParsedOptions::kHelp);
  EXPECT_EQ(Parse({"-h"}).outcome, ParsedOptions::kHelp);
}

TEST(Options, RefusesWhatItCannotUse) {
  const std::vector<std::vector<const char*>> bad = {
      {"--fullscreen"}, {"window"}, {"--data"}, {"--data", ""},
      {"--record", "a", "--play", "b"}, {"--play", "a", "--timedemo", "b"},
      // Sizes that are not sizes, or too small or too large to play in.
      {"--window", "800"}, {"--window", "800x"}, {"--window", "800x600x2"},
      {"--window", "639x480"}, {"--window", "800x479"}, {"--window", "16385x600"},
      {"--window", "99999999999999999999x600"}, {"--window", "8o0x600"},
  };
  for (const auto& args : bad) {
    ParsedOptions parsed = Parse(args);
    EXPECT_EQ(parsed.outcome, ParsedOptions::kBad) << args.back();
    EXPECT_FALSE(parsed.error.empty()) << args.back();
  }
}

// The command line's values go over the file's for the run, and the
// options then say what is in effect; what it does not give, the file
// decides.
TEST(Options, TheCommandLineGoesOverTheSettings) {
  Settings file;
  file.width = 1280;
  file.height = 1024;
  file.roundSeconds = 300;
  file.drones = true;
  file.name = "Ace";
  const struct {
    std::vector<const char*> args;
    bool window;
    int width, roundSeconds;
    bool drones;
    const char* name;
  } cases[] = {
      {{}, false, 1280, 300, true, "Ace"},
      {{"--window"}, true, 1280, 300, true, "Ace"},
      {{"--window", "800x600", "--round", "30", "--no-drones", "--name", "Bee"}, true, 800, 30,
       false, "Bee"},
      {{"--settings", "/tmp/s.toml", "--name", "Pilot"}, false, 1280, 300, true, "Pilot"},
  };
  for (const auto& c : cases) {
    ParsedOptions parsed = Parse(c.args);
    ASSERT_EQ(parsed.outcome, ParsedOptions::kRun) << parsed.error;
    Settings settings = file;
    ApplyCommandLine(parsed.options, settings);
    ShowInOptions(settings, parsed.options);
    EXPECT_EQ(!settings.fullScreen, c.window);
    EXPECT_EQ(parsed.options.window, c.window);
    EXPECT_EQ(parsed.options.windowWidth, c.width);
    EXPECT_EQ(settings.roundSeconds, c.roundSeconds);
    EXPECT_EQ(parsed.options.roundSeconds, static_cast<float>(c.roundSeconds));
    EXPECT_EQ(settings.drones, c.drones);
    EXPECT_EQ(parsed.options.name, c.name);
  }
  EXPECT_EQ(Parse({"--settings", "s.toml"}).options.settingsPath, "s.toml");
  for (const char* name : {"", "Seventeen letters", "tab\there", "Pil\xC3\xB6t"}) {
    EXPECT_EQ(Parse({"--name", name}).outcome, ParsedOptions::kBad) << name;
  }
}

}  // namespace

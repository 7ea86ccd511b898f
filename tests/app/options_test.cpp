#include "app/options.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(Options, HelpWinsOverTheRest) {
  EXPECT_EQ(Parse({"--window", "--help"}).outcome, ParsedOptions::kHelp);
  EXPECT_EQ(Parse({"-h"}).outcome, ParsedOptions::kHelp);
}

TEST(Options, RefusesWhatItCannotUse) {
  const std::vector<std::vector<const char*>> bad = {
      {"--fullscreen"}, {"window"}, {"--data"}, {"--data", ""},
      {"--record", "a", "--play", "b"}, {"--play", "a", "--timedemo", "b"},
  };
  for (const auto& args : bad) {
    ParsedOptions parsed = Parse(args);
    EXPECT_EQ(parsed.outcome, ParsedOptions::kBad) << args[0];
    EXPECT_FALSE(parsed.error.empty()) << args[0];
  }
}

}  // namespace

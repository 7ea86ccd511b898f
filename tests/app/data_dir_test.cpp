#include "app/data_dir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// A working directory "here", an installed tree "prefix" with its program
// in prefix/bin and its data in prefix/share/driftwing, and a folder "own"
// of data the player names with --data; `withData` says which hold data.
struct Layout {
  TempDir scratch{TempDir::kEnter};
  fs::path root = scratch.path();
  std::string program = (root / "prefix/bin/driftwing").string();
  std::string installed = (root / "prefix/share/driftwing").string();
  std::string own = (root / "own").string();

  explicit Layout(std::initializer_list<const char*> withData) {
    fs::create_directories(root / "here");
    fs::create_directories(root / "prefix/bin");
    fs::create_directories(installed);
    fs::create_directories(own);
    for (const char* dir : withData) {
      fs::create_directories(root / dir / "models");
      std::ofstream(root / dir / "models/ship.p3d") << "model";
    }
    fs::current_path(root / "here");
  }
};

TEST(DataDir, ChoosesTheFirstPlaceThatHoldsTheData) {
  struct Case {
    std::initializer_list<const char*> withData;
    bool explicitDir;
    const char* expected;  // "" stays in the working directory
  };
  const Case cases[] = {
      {{"here", "prefix/share/driftwing", "own"}, true, "own"},
      {{"here", "prefix/share/driftwing"}, false, ""},
      {{"prefix/share/driftwing"}, false, "prefix/share/driftwing"},
  };
  for (const Case& c : cases) {
    Layout layout(c.withData);
    DataDirChoice choice = ChooseDataDir(c.explicitDir ? layout.own : "", layout.program);
    ASSERT_TRUE(choice.found) << c.expected;
    EXPECT_EQ(choice.dir, *c.expected ? (layout.root / c.expected).string() : "");
  }
}

// Without data anywhere, the places looked at are named: install_test.sh.
// A folder named with --data is not silently passed over for another.
TEST(DataDir, AnEmptyFolderNamedWithDataIsRefusedInOneLine) {
  Layout layout({"here", "prefix/share/driftwing"});
  DataDirChoice choice = ChooseDataDir(layout.own, layout.program);
  EXPECT_FALSE(choice.found);
  EXPECT_NE(choice.error.find(layout.own), std::string::npos);
  EXPECT_EQ(choice.error.find('\n'), std::string::npos);
}

// A folder the player may not read is told with the system's reason, not
// taken for one without data. Root reads every folder, so as root the
// check runs in a child process that has become the user "nobody".
TEST(DataDir, AFolderThePlayerMayNotReadIsToldWithTheReason) {
  Layout layout({"own"});
  fs::permissions(layout.root, fs::perms::owner_all | fs::perms::group_exec |
                                   fs::perms::others_exec);
  fs::permissions(layout.own, fs::perms::none);
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
    DataDirChoice choice = ChooseDataDir(layout.own, layout.program);
    const std::string expected =
        "cannot read the game's data in " + layout.own + " given by --data: Permission denied";
    if (!choice.found && choice.error == expected) _exit(0);
    std::fprintf(stderr, "got: %s\nexpected: %s\n", choice.error.c_str(), expected.c_str());
    _exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  fs::permissions(layout.own, fs::perms::owner_all);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  // A folder that is not there says so too.
  DataDirChoice missing = ChooseDataDir(layout.own + "/none", layout.program);
  EXPECT_NE(missing.error.find("/none given by --data: No such file or directory"),
            std::string::npos)
      << missing.error;
}

TEST(DataDir, EnteringKeepsTheDemoNamesOfTheStartingFolder) {
  Layout layout({"own"});
  Options options;
  options.dataDir = layout.own;
  options.playPath = "demo.dem";
  std::string error;
  ASSERT_TRUE(EnterDataDir(options, error)) << error;
  EXPECT_EQ(fs::current_path(), fs::path(layout.own));
  EXPECT_EQ(options.playPath, (layout.root / "here/demo.dem").string());
}

}  // namespace

// The one file writer: what tests/level/writers_test.cpp does not reach
// through the programs: a stream of writes, links, permissions and signals.
#include "platform/file_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t Entries(const std::string& dir) {
  size_t count = 0;
  for (auto it = fs::directory_iterator(dir); it != fs::directory_iterator(); ++it) ++count;
  return count;
}

TEST(FileWriter, TheTargetChangesOnlyAtTheCommit) {
  TempDir dir;
  dir.WriteText("demo.dem", "old");
  platform::FileWriter file;
  std::string error;
  ASSERT_TRUE(file.Open(dir.File("demo.dem"), {}, error)) << error;
  EXPECT_EQ(fs::path(file.Temporary()).filename().string().rfind("demo.dem.partial-", 0), 0u)
      << file.Temporary();
  ASSERT_TRUE(file.Write("new ", 4, error) && file.Write("demo", 4, error)) << error;
  EXPECT_EQ(Read(dir.File("demo.dem")), "old");
  file.Discard();
  EXPECT_EQ(Read(dir.File("demo.dem")), "old");
  EXPECT_EQ(Entries(dir.path()), 1u) << "the temporary file is removed";

  {
    platform::FileWriter abandoned;
    ASSERT_TRUE(abandoned.Open(dir.File("demo.dem"), {}, error)) << error;
    ASSERT_TRUE(abandoned.Write("x", 1, error));
  }
  EXPECT_EQ(Entries(dir.path()), 1u) << "a writer that goes away uncommitted removes its file";

  ASSERT_TRUE(file.Open(dir.File("demo.dem"), {}, error) && file.Write("new", 3, error) &&
              file.Commit(error))
      << error;
  EXPECT_EQ(Read(dir.File("demo.dem")), "new");
  EXPECT_EQ(Entries(dir.path()), 1u);
}

TEST(FileWriter, ALinkStaysAndTheReplacedFileKeepsItsPermissions) {
  TempDir dir;
  dir.WriteText("real.wrl", "old");
  chmod(dir.File("real.wrl").c_str(), 0640);
  fs::create_symlink("real.wrl", dir.File("link.wrl"));
  std::string error;
  ASSERT_TRUE(platform::WriteWholeFile(dir.File("link.wrl"), {'n', 'e', 'w'}, error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir.File("link.wrl")));
  EXPECT_EQ(Read(dir.File("real.wrl")), "new");
  struct stat info;
  ASSERT_EQ(stat(dir.File("real.wrl").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  fs::create_symlink("nowhere", dir.File("dangling.wrl"));
  EXPECT_FALSE(platform::WriteWholeFile(dir.File("dangling.wrl"), {'x'}, error));
  EXPECT_NE(error.find("a link that leads nowhere"), std::string::npos) << error;
}

// A program ended by SIGINT, SIGTERM or SIGHUP while it writes leaves no
// temporary file; one that ignores the signal (nohup) goes on and finishes.
TEST(FileWriter, ASignalRemovesTheTemporaryFileUnlessTheProgramHandlesIt) {
  for (int number : {SIGINT, SIGTERM, SIGHUP}) {
    for (bool ignored : {false, true}) {
      TempDir dir;
      dir.WriteText("out.wrl", "old");
      pid_t pid = fork();
      if (pid == 0) {
        if (ignored) signal(number, SIG_IGN);
        platform::FileWriter file;
        std::string error;
        if (!file.Open(dir.File("out.wrl"), {}, error) || !file.Write("new", 3, error)) _exit(2);
        raise(number);
        _exit(file.Commit(error) ? 0 : 3);
      }
      int status = 0;
      waitpid(pid, &status, 0);
      const std::string what = std::to_string(number) + (ignored ? ", ignored" : "");
      if (ignored) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << what;
        EXPECT_EQ(Read(dir.File("out.wrl")), "new") << what;
      } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == number) << what;
        EXPECT_EQ(Read(dir.File("out.wrl")), "old") << what;
      }
      EXPECT_EQ(Entries(dir.path()), 1u) << what;
    }
  }
}

}  // namespace

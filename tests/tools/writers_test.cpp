// Every program that writes a file, against every kind of target that must
// not be damaged: a file is replaced whole or not at all, and a target that
// is not a plain file, or is the program's own input, is refused before any
// work. In every refused row each file of the folder is byte for byte as it
// was, and no other file has appeared.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "platform/file_writer.h"
#include "tests/tools/tool_run.h"
#include "tests/support/gl_context.h"

namespace fs = std::filesystem;

namespace {

// A floor of 200 triangles: a level for levelc and a model for p3dc, whose
// texture (a plain 8 x 8 bitmap, 246 bytes) fits in the 1 KB that the
// "fails partway" row allows while the model does not.
std::string Floor() {
  std::string obj;
  for (int i = 0; i <= 10; ++i) {
    for (int j = 0; j <= 10; ++j) {
      obj += "v " + std::to_string(10 * i) + " 0 " + std::to_string(10 * j) + "\n";
    }
  }
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 10; ++j) {
      int a = i * 11 + j + 1, b = a + 1, c = a + 11, d = c + 1;
      obj += "f " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(d) + "\n";
      obj += "f " + std::to_string(a) + " " + std::to_string(d) + " " + std::to_string(c) + "\n";
    }
  }
  return obj;
}

using Snapshot = std::map<std::string, std::string>;  // name: contents ("<dir>" for folders)

Snapshot Take(const std::string& dir) {
  Snapshot files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    files[name] = entry.is_regular_file() ? Slurp(entry.path().string()) : "<not a file>";
  }
  return files;
}

// The one writer under the tools, run in a child process as they are.
ToolRun RunFileWriter(const std::string& target, const std::string& input, bool limited) {
  int pipeFds[2];
  EXPECT_EQ(pipe(pipeFds), 0);
  pid_t pid = fork();
  if (pid == 0) {
    if (limited) {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {1024, 1024};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::string error;
    platform::FileWriter file;
    const std::vector<uint8_t> bytes(2000, 'n');
    bool ok = file.Open(target, {input}, error) && file.Write(bytes.data(), 1000, error) &&
              file.Write(bytes.data() + 1000, 1000, error) && file.Commit(error);
    if (write(pipeFds[1], error.data(), error.size()) < 0) _exit(3);
    _exit(ok ? 0 : 1);
  }
  close(pipeFds[1]);
  ToolRun run;
  char buffer[512];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) run.err.append(buffer, n);
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// A program as an author runs it; `limited` lets it write files of 1 KB at
// most, a disk that fills part of the way through.
ToolRun RunCommand(const std::string& command, bool limited) {
  const std::string limit =
      limited ? "bash -c 'trap \"\" XFSZ; ulimit -f 1; exec \"$@\"' limited " : "";
  return RunTool("timeout 60 " + limit + command);
}

struct Writer {
  const char* name;
  bool hasInput;   // reads in.obj
  bool runsPlay;   // writes only after play, which needs a screen: rows that
                   // get that far are the demo tests'
  std::function<ToolRun(const std::string& target, const std::string& dir, bool limited)> run;
};

struct Row {
  const char* name;
  // Lays the folder out; the target's path.
  std::function<std::string(const TempDir& dir)> setUp;
  bool refused;
  const char* reason;  // on stderr, or in the writer's error
  bool limited = false;
  bool needsInput = false;
  bool reachesPlay = false;
};

TEST(Writers, NeverLeaveAFileHalfWrittenNorTouchOneTheyWereNotAskedToWrite) {
  const std::string data = DataDir();
  const Writer writers[] = {
      {"FileWriter", true, false,
       [](const std::string& target, const std::string& dir, bool limited) {
         return RunFileWriter(target, dir + "/in.obj", limited);
       }},
      {"levelc", true, false,
       [](const std::string& target, const std::string& dir, bool limited) {
         return RunCommand(
             std::string(LEVELC) + " --no-bake --levels 2 " + dir + "/in.obj " + target, limited);
       }},
      {"p3dc", true, false,
       [](const std::string& target, const std::string& dir, bool limited) {
         return RunCommand(std::string(P3DC) + " " + dir + "/in.obj " + target, limited);
       }},
      {"driftwing --record", false, true,
       [&data](const std::string& target, const std::string&, bool limited) {
         return RunCommand("env -u DISPLAY SDL_AUDIODRIVER=dummy " + std::string(DRIFTWING) +
                               " --data " + data + " --record " + target,
                           limited);
       }},
  };
  const Row rows[] = {
      {"an existing file", [](const TempDir& d) { return d.File("out.p3d"); }, false, "",
       false, false, true},
      {"a missing folder", [](const TempDir& d) { return d.File("none/out.p3d"); }, true,
       "/none does not exist"},
      {"a directory",
       [](const TempDir& d) {
         fs::remove(d.File("out.p3d"));
         fs::create_directory(d.File("out.p3d"));
         return d.File("out.p3d");
       },
       true, "it is a directory, not a file"},
      {"a FIFO",
       [](const TempDir& d) {
         fs::remove(d.File("out.p3d"));
         EXPECT_EQ(mkfifo(d.File("out.p3d").c_str(), 0644), 0);
         return d.File("out.p3d");
       },
       true, "it is not a regular file"},
      {"/dev/full", [](const TempDir&) { return std::string("/dev/full"); }, true,
       "/dev/full: it is not a regular file"},
      {"its own input", [](const TempDir& d) { return d.File("in.obj"); }, true, "is the input",
       false, true},
      {"a write failing partway", [](const TempDir& d) { return d.File("out.p3d"); }, true,
       "File too large", true, false, true},
  };
  for (const Writer& writer : writers) {
    for (const Row& row : rows) {
      if ((row.needsInput && !writer.hasInput) || (row.reachesPlay && writer.runsPlay)) continue;
      const std::string what = std::string(writer.name) + ", " + row.name;
      TempDir dir;
      dir.WriteText("in.obj", Floor());
      dir.WriteText("out.p3d", "the old model\n");
      dir.WriteText("out.bmp", "the old texture\n");
      const std::string target = row.setUp(dir);
      const Snapshot before = Take(dir.path());
      ToolRun run = writer.run(target, dir.path(), row.limited);
      const Snapshot after = Take(dir.path());
      if (!row.refused) {
        EXPECT_EQ(run.status, 0) << what << "\n" << run.err;
        EXPECT_NE(after.at("out.p3d"), before.at("out.p3d")) << what;
        EXPECT_EQ(after.size(), before.size()) << what << ": a file was left beside the output";
        continue;
      }
      EXPECT_EQ(run.status, 1) << what << "\n" << run.err;
      EXPECT_TRUE(Has(run.err, row.reason)) << what << "\n" << run.err;
      EXPECT_EQ(after, before) << what;
    }
  }
  EXPECT_FALSE(fs::exists("/dev/full.bmp")) << "p3dc wrote a texture beside a device";
}

// The content tools write into a folder of their own: on a disk that fills,
// each stops with the reason, its earlier outputs are as they were and no
// temporary file is left anywhere.
TEST(Writers, ContentToolsOnAFullDiskKeepWhatWasThere) {
  const struct {
    const char* tool;
    const char* output;  // one of the files it writes, relative to its folder
  } tools[] = {
      {MAKE_ARENA, "arena.obj"},
      {LEVEL_SEEDS, "floor_300.wrl"},
      {MAKE_CONTENT, "models/ship.bmp"},
      {MAKE_ICON, "hicolor/256x256/apps/driftwing.png"},
  };
  for (const auto& t : tools) {
    TempDir dir;
    fs::create_directories(fs::path(dir.File(t.output)).parent_path());
    const std::string old(3000, 'o');  // larger than the disk's room: a new file would be cut
    dir.WriteText(t.output, old);
    ToolRun run = RunCommand(std::string(t.tool) + " " + dir.path(), true);
    EXPECT_NE(run.status, 0) << t.tool;
    EXPECT_TRUE(Has(run.err, "File too large")) << t.tool << "\n" << run.err;
    EXPECT_EQ(Slurp(dir.File(t.output)), old) << t.tool;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      EXPECT_FALSE(Has(entry.path().filename().string(), ".partial-")) << entry.path();
    }
  }
}

// With no display the game stops before its window, and the file it was
// to record into (here the game's own model) is as it was.
TEST(Writers, ARecordingThatNeverStartsLeavesItsFileAlone) {
  TempDir data;
  fs::create_directories(data.File("models"));
  fs::copy_file(DataDir() + "/models/ship.p3d", data.File("models/ship.p3d"));
  const Snapshot before = Take(data.File("models"));
  ToolRun run = RunTool("cd " + data.path() +
                        " && timeout 60 env -u DISPLAY SDL_AUDIODRIVER=dummy " + DRIFTWING +
                        " --record models/ship.p3d");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Take(data.File("models")), before);
}

}  // namespace

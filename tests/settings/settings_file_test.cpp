#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "settings/key_names.h"
#include "settings/settings_fields.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr uid_t kNobody = 65534;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// The names in a folder, to see that no temporary file was left.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every setting away from its default.
Settings Changed() {
  Settings s;
  s.width = 1280;
  s.height = 1024;
  s.fullScreen = false;
  s.effectsVolume = 3;
  s.music = true;
  s.musicVolume = 9;
  s.mouseSensitivity = 8;
  s.invertLook = true;
  s.keys = {'t', 273, 304, 'x', kBindMouseRight};
  s.name = "Ace of \"Spades\"";
  s.shipColour = 7;
  s.roundSeconds = 45;
  s.drones = false;
  return s;
}

// Runs `body` in a child process, as the unprivileged user `nobody` when
// `asNobody` and this test runs as root; its exit status is the result.
// Returns -1 when a root test cannot become nobody.
int InChild(bool asNobody, const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (asNobody && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(99);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status)) return 98;
  return WEXITSTATUS(status) == 99 ? -1 : WEXITSTATUS(status);
}

TEST(SettingsFile, EverySettingIsWrittenAndReadBack) {
  const Settings defaults;
  const Settings changed = Changed();
  for (const SettingField& field : SettingFields()) {
    EXPECT_FALSE(SameValue(field, changed, defaults)) << FieldName(field) << " left at its default";
  }
  TempDir dir;
  const std::string path = dir.File("deep/er/settings.toml");  // folders made as needed
  SettingsFile file(path);
  std::string error;
  ASSERT_TRUE(file.Save(changed, error)) << error;
  Settings read;
  std::vector<std::string> problems;
  SettingsFile(path).Load(read, problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_TRUE(read == changed);
  EXPECT_NE(ReadText(path).find("[controls]"), std::string::npos) << ReadText(path);
  EXPECT_EQ(Names(dir.File("deep/er")), std::vector<std::string>{"settings.toml"});
}

TEST(SettingsFile, NoFileMeansTheDefaultsAndNothingWritten) {
  TempDir dir;
  Settings read = Changed();
  std::vector<std::string> problems;
  SettingsFile file(dir.File("settings.toml"));
  file.Load(read, problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_TRUE(read == Settings{});
  EXPECT_FALSE(file.NeedsBadCopy());
  EXPECT_TRUE(Names(dir.path()).empty());
  // Today's controls, exactly.
  EXPECT_EQ(read.keys, (std::array<uint16_t, kBoundActionCount>{'w', 's', 'a', 'd', kBindMouseLeft}));
  EXPECT_EQ(read.LookRate(), 10.0f);
}

TEST(SettingsFile, TheFileLivesInTheUsersConfigurationFolder) {
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string config = savedConfig ? savedConfig : "";
  const std::string home = savedHome ? savedHome : "";
  setenv("HOME", "/home/ace", 1);
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(SettingsFile::DefaultPath(), "/cfg/driftwing/settings.toml");
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(SettingsFile::DefaultPath(), "/home/ace/.config/driftwing/settings.toml");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsFile::DefaultPath(), "/home/ace/.config/driftwing/settings.toml");
  unsetenv("HOME");
  EXPECT_EQ(SettingsFile::DefaultPath(), "");
  std::string error;
  EXPECT_FALSE(SettingsFile("").Save(Settings{}, error));
  EXPECT_NE(error.find("HOME"), std::string::npos) << error;
  savedConfig ? setenv("XDG_CONFIG_HOME", config.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

// A damaged file: what it holds (or is), the lines that must be printed,
// the values used, what the rewritten file must keep, and whether the
// damaged file is kept as settings.toml.bad.
enum class Kind { kFile, kDirectory, kUnreadable, kHuge };
struct Damage {
  const char* name;
  std::string text;
  std::vector<std::string> lines;          // each a fragment of one printed line, in order
  std::function<void(Settings&)> used;      // the defaults, changed to the values used
  std::vector<std::string> kept = {};      // fragments the rewritten file holds
  bool badCopy = true;
  Kind kind = Kind::kFile;
};

const Damage kDamages[] = {
    {"not TOML: an unclosed table name", "[video\nwidth = 800\n",
     {":1: not valid TOML", "every setting is at its default"}, [](Settings&) {}},
    {"not TOML: a value missing on line 3", "[video]\nwidth = 800\nheight = \n",
     {":3: not valid TOML"}, [](Settings&) {}},
    {"not TOML: an unclosed string", "[player]\nname = \"Ace\n", {":2: not valid TOML"},
     [](Settings&) {}},
    {"not TOML: binary bytes", std::string("\x00\xff\xfe\x01", 4), {":1: not valid TOML"},
     [](Settings&) {}},
    {"not TOML: a key twice", "[sound]\nmusic = true\nmusic = false\n", {":3: not valid TOML"},
     [](Settings&) {}},
    {"a number as text", "[video]\nwidth = \"800\"\nheight = 600\n",
     {":2: video.width should be a whole number, not text; using 1024"},
     [](Settings& s) { s.height = 600; }},
    {"a number with a fraction", "[sound]\neffects_volume = 5.5\nmusic = true\n",
     {":2: sound.effects_volume should be a whole number, not a number with a fraction; using 10"},
     [](Settings& s) { s.music = true; }},
    {"a switch as a number", "[sound]\nmusic = 1\n",
     {":2: sound.music should be true or false, not a whole number; using false"},
     [](Settings&) {}},
    {"a name as a number", "[player]\nname = 12\nship_colour = 3\n",
     {":2: player.name should be text, not a whole number; using \"Pilot\""},
     [](Settings& s) { s.shipColour = 3; }},
    {"a key as a list", "[controls]\nthrust = [\"W\"]\n",
     {":2: controls.thrust should be the name of a key or mouse button, not a list"},
     [](Settings&) {}},
    {"a section as a number", "video = 3\n[sound]\nmusic_volume = 2\n",
     {":1: [video] should be a table, not a whole number"},
     [](Settings& s) { s.musicVolume = 2; }},
    {"a size too small", "[video]\nwidth = 100\nfull_screen = false\n",
     {":2: video.width is 100, out of range (640 to 16384); using 1024"},
     [](Settings& s) { s.fullScreen = false; }},
    {"two values out of range", "[sound]\neffects_volume = 11\n[controls]\nmouse_sensitivity = 0\n",
     {":2: sound.effects_volume is 11, out of range (0 to 10)",
      ":4: controls.mouse_sensitivity is 0, out of range (1 to 10); using 5"},
     [](Settings&) {}},
    {"a negative round", "[player]\nround_seconds = -5\ndrones = false\n",
     {":2: player.round_seconds is -5, out of range (1 to 3600)"},
     [](Settings& s) { s.drones = false; }},
    {"the largest number there is", "[video]\nheight = 9223372036854775807\n",
     {":2: video.height is 9223372036854775807, out of range"}, [](Settings&) {}},
    {"a ninth paint", "[player]\nship_colour = 8\n", {":2: player.ship_colour is 8, out of range (0 to 7)"},
     [](Settings&) {}},
    {"a name too long and one not printable",
     "[player]\nname = \"Seventeen letters\"\n[other]\nname = \"tab\\there\"\n",
     {":2: player.name should be 1 to 16 printable ASCII characters", ":3: unknown key \"other\""},
     [](Settings&) {}, {"[other]", "'tab\there'"}},
    {"a name beyond ASCII", "[player]\nname = \"Pil\xC3\xB6t\"\n",
     {":2: player.name should be 1 to 16 printable ASCII characters; using \"Pilot\""},
     [](Settings&) {}},
    {"Escape and no key at all", "[controls]\nthrust = \"Escape\"\nfire = \"Nope\"\nback = \"Up\"\n",
     {":2: controls.thrust: \"Escape\" is not a key that can be bound", ":3: controls.fire: \"Nope\""},
     [](Settings& s) { s.keys[kBindBack] = 273; }},
    {"one key for two actions", "[controls]\nthrust = \"X\"\nback = \"x\"\n",
     {":3: controls.back: X is bound to two actions; using S"},
     [](Settings& s) { s.keys[kBindThrust] = 'x'; }},
    {"a key another action has by default", "[controls]\nfire = \"D\"\nback = \"Left\"\n",
     {":2: controls.fire: D is bound to two actions; using Mouse Left"},
     [](Settings& s) { s.keys[kBindBack] = 276; }},
    {"an unknown key at the top", "volume = 3\n[video]\nwidth = 800\nheight = 600\n",
     {":1: unknown key \"volume\"; kept as it is"},
     [](Settings& s) {
       s.width = 800;
       s.height = 600;
     },
     {"volume = 3"}},
    {"unknown keys in a section and a section of their own",
     "[sound]\nreverb = true\n\n[network]\nport = 27950\nmaster = \"localhost\"\n",
     {":2: unknown key \"sound.reverb\"", ":4: unknown key \"network\""}, [](Settings&) {},
     {"reverb = true", "[network]", "port = 27950", "master = 'localhost'"}},
    {"empty", "", {":0: the file is empty"}, [](Settings&) {}, {}, false},
    {"a directory", "", {":0: cannot be read", "directory"}, [](Settings&) {}, {}, false,
     Kind::kDirectory},
    {"not readable", "[video]\nwidth = 800\n", {":0: cannot be read", "Permission denied"},
     [](Settings&) {}, {}, true, Kind::kUnreadable},
    {"too large", std::string(kMaxSettingsFileBytes + 1, '#'), {":0: 1048577 bytes is too large"},
     [](Settings&) {}, {}, true, Kind::kHuge},
};

TEST(SettingsFile, DamagedFilesLoseNothing) {
  for (const Damage& d : kDamages) {
    SCOPED_TRACE(d.name);
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);  // for nobody, as some cases run
    const std::string path = dir.File("settings.toml");
    if (d.kind == Kind::kDirectory) {
      ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    } else {
      dir.WriteText("settings.toml", d.text);
    }
    if (d.kind == Kind::kUnreadable) {
      // Its owner's, and nobody may read it: the game runs as that owner.
      ASSERT_EQ(chmod(path.c_str(), 0200), 0);
      if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
      }
    }
    // The child loads and rewrites the file, keeps the values it used in
    // used.toml and the lines it printed in lines.txt.
    const int status = InChild(d.kind == Kind::kUnreadable, [&] {
      SettingsFile file(path);
      Settings used;
      std::vector<std::string> problems;
      file.Load(used, problems);
      std::ofstream lines(dir.File("lines.txt"));
      for (const std::string& line : problems) lines << line << "\n";
      lines.close();
      std::string error;
      if (!SettingsFile(dir.File("used.toml")).Save(used, error)) return 2;
      const bool saved = file.Save(used, error);
      std::ofstream(dir.File("error.txt")) << error;
      return d.kind == Kind::kDirectory ? (saved ? 3 : 0) : (saved ? 0 : 4);
    });
    if (status == -1) {
      GTEST_SKIP() << "cannot run as nobody here";
    }
    ASSERT_EQ(status, 0) << ReadText(dir.File("error.txt"));

    // One line for each problem, naming the file and the line.
    std::vector<std::string> printed;
    std::istringstream lines(ReadText(dir.File("lines.txt")));
    for (std::string line; std::getline(lines, line);) printed.push_back(line);
    size_t at = 0;
    for (const std::string& fragment : d.lines) {
      while (at < printed.size() && printed[at].find(fragment) == std::string::npos) ++at;
      EXPECT_LT(at, printed.size()) << "no line with \"" << fragment << "\" in\n"
                                    << ReadText(dir.File("lines.txt"));
    }
    for (const std::string& line : printed) EXPECT_EQ(line.rfind(path + ":", 0), 0u) << line;

    Settings expected;
    d.used(expected);
    Settings used;
    std::vector<std::string> none;
    SettingsFile(dir.File("used.toml")).Load(used, none);
    EXPECT_TRUE(used == expected);

    if (d.kind != Kind::kDirectory) {
      const std::string rewritten = ReadText(path);
      for (const std::string& fragment : d.kept) {
        EXPECT_NE(rewritten.find(fragment), std::string::npos) << fragment << " lost:\n" << rewritten;
      }
      Settings again;
      std::vector<std::string> problems;
      SettingsFile(path).Load(again, problems);
      EXPECT_TRUE(again == expected) << "the rewritten file holds other values";
    }
    EXPECT_EQ(Exists(dir.File("settings.toml.bad")), d.badCopy);
    if (d.badCopy) {
      if (d.kind == Kind::kUnreadable) chmod(dir.File("settings.toml.bad").c_str(), 0600);
      EXPECT_EQ(ReadText(dir.File("settings.toml.bad")), d.text);
    }
  }
}

// The damaged file is kept once, before its first rewrite: a later rewrite
// of the mended file leaves that copy alone.
TEST(SettingsFile, TheBadCopyIsMadeBeforeTheFirstRewriteOnly) {
  TempDir dir;
  const std::string path = dir.File("settings.toml");
  dir.WriteText("settings.toml", "[video]\nwidth = \"wide\"\n");
  SettingsFile file(path);
  Settings s;
  std::vector<std::string> problems;
  file.Load(s, problems);
  ASSERT_TRUE(file.NeedsBadCopy());
  std::string error;
  ASSERT_TRUE(file.Save(s, error)) << error;
  EXPECT_FALSE(file.NeedsBadCopy());
  dir.WriteText("settings.toml.bad", "older");
  s.width = 800;
  ASSERT_TRUE(file.Save(s, error)) << error;
  EXPECT_EQ(ReadText(dir.File("settings.toml.bad")), "older");
}

TEST(SettingsFile, AnUnwritableFolderLeavesTheOldFileUntouched) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  const std::string folder = dir.File("config");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string path = folder + "/settings.toml";
  const std::string old = "# mine\n[player]\nname = \"Old\"\n";
  dir.WriteText("config/settings.toml", old);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(folder.c_str(), kNobody, kNobody), 0);
  }
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  const int status = InChild(true, [&] {
    SettingsFile file(path);
    Settings s;
    std::vector<std::string> problems;
    file.Load(s, problems);
    if (s.name != "Old") return 2;
    s.name = "New";
    std::string error;
    if (file.Save(s, error)) return 3;
    std::ofstream(dir.File("error.txt")) << error;
    return 0;
  });
  chmod(folder.c_str(), 0755);
  if (status == -1) {
    GTEST_SKIP() << "cannot run as nobody here";
  }
  ASSERT_EQ(status, 0);
  const std::string error = ReadText(dir.File("error.txt"));
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  EXPECT_EQ(ReadText(path), old);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"settings.toml"});
}

// A write cut short, as on a full disk: the file size limit stops it
// halfway. The old file stays whole and no temporary file is left.
TEST(SettingsFile, AWriteFailingHalfwayLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir.File("settings.toml");
  std::string error;
  ASSERT_TRUE(SettingsFile(path).Save(Settings{}, error)) << error;
  const std::string old = ReadText(path);
  ASSERT_GT(old.size(), 200u);
  const int status = InChild(false, [&] {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string why;
    if (SettingsFile(path).Save(Changed(), why)) return 2;
    std::ofstream(dir.File("error.txt")) << why;
    return 0;
  });
  ASSERT_EQ(status, 0);
  EXPECT_NE(ReadText(dir.File("error.txt")).find("File too large"), std::string::npos)
      << ReadText(dir.File("error.txt"));
  EXPECT_EQ(ReadText(path), old);
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"error.txt", "settings.toml"}));
}

TEST(KeyNames, EveryBindingHasANameThatLeadsBackToIt) {
  std::vector<uint16_t> codes = {kBindMouseLeft, kBindMouseRight, kBindMouseMiddle};
  for (uint16_t code = 1; code < kKeyCodeEnd; ++code) {
    if (code != kKeyEscape) codes.push_back(code);
  }
  for (uint16_t code : codes) {
    const std::string name = BindingName(code);
    uint16_t back = 0;
    EXPECT_TRUE(BindingFromName(name, back)) << code << " " << name;
    EXPECT_EQ(back, code) << name;
  }
  const struct {
    const char* name;
    int code;  // -1: none
  } names[] = {{"W", 'w'},        {"w", 'w'},         {"Up", 273},     {"left shift", 304},
               {"Space", ' '},    {"Mouse Left", kBindMouseLeft},      {"Escape", -1},
               {"Key 27", -1},    {"Key 323", -1},    {"Key 1x", -1},  {"", -1},
               {"Nope", -1},      {"Key ", -1},       {"Key -5", -1}};
  for (const auto& n : names) {
    uint16_t code = 0;
    EXPECT_EQ(BindingFromName(n.name, code), n.code >= 0) << n.name;
    if (n.code >= 0) {
      EXPECT_EQ(code, n.code) << n.name;
    }
  }
  EXPECT_FALSE(IsBindable(kKeyEscape));
  EXPECT_FALSE(IsBindable(0));
  EXPECT_FALSE(IsBindable(kBindMouse | 3));
}

}  // namespace

#include "app/data_dir.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/executable_path.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProbe = "models/ship.p3d";

// The system's reason a folder could not be looked into for the data (a
// folder the player may not read, one that does not exist), or "" when it
// was looked into and simply does not hold it.
std::string LookFailure(const std::string& dir) {
  struct stat info;
  const std::string probe = (fs::path(dir) / kProbe).string();
  if (::stat(probe.c_str(), &info) == 0) return "";
  const int probeError = errno;
  if (::stat(dir.c_str(), &info) != 0) return std::strerror(errno);
  if (!S_ISDIR(info.st_mode)) return std::strerror(ENOTDIR);
  return probeError == EACCES ? std::strerror(EACCES) : "";
}

std::string Absolute(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

}  // namespace

bool HoldsGameData(const std::string& dir) {
  std::error_code error;
  return fs::is_regular_file(fs::path(dir.empty() ? "." : dir) / kProbe, error);
}

DataDirChoice ChooseDataDir(const std::string& explicitDir, const std::string& executablePath) {
  DataDirChoice choice;
  if (!explicitDir.empty()) {
    choice.found = HoldsGameData(explicitDir);
    choice.dir = explicitDir;
    const std::string failure = choice.found ? "" : LookFailure(explicitDir);
    if (!failure.empty()) {
      choice.error = "cannot read the game's data in " + Absolute(explicitDir) +
                     " given by --data: " + failure;
    } else if (!choice.found) {
      choice.error = "no game data (" + std::string(kProbe) + ") in " + Absolute(explicitDir) +
                     " given by --data";
    }
    return choice;
  }
  if (HoldsGameData("")) {
    choice.found = true;
    return choice;
  }
  std::error_code noCwd;
  std::string looked = fs::current_path(noCwd).string();
  if (!executablePath.empty()) {
    std::string installed =
        (fs::path(executablePath).parent_path() / ".." / "share" / "driftwing").lexically_normal();
    if (HoldsGameData(installed)) {
      choice.found = true;
      choice.dir = installed;
      return choice;
    }
    looked += " and " + installed;
  }
  choice.error = "cannot find the game's data (" + std::string(kProbe) + "): looked in " +
                 looked + "; name the folder with --data DIR";
  return choice;
}

bool EnterDataDir(Options& options, std::string& error) {
  DataDirChoice choice = ChooseDataDir(options.dataDir, platform::ExecutablePath());
  if (!choice.found) {
    error = choice.error;
    return false;
  }
  if (choice.dir.empty()) return true;
  for (std::string* path : {&options.recordPath, &options.playPath, &options.timedemoPath}) {
    if (!path->empty()) *path = Absolute(*path);
  }
  std::error_code entered;
  fs::current_path(choice.dir, entered);
  if (entered) {
    error = "cannot enter the data folder " + choice.dir + ": " + entered.message();
    return false;
  }
  return true;
}

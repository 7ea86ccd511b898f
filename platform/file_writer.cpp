#include "platform/file_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

// The temporary files alive now, for the signal handler to remove: a path
// is written whole before its slot is marked used, so the handler never
// reads half of one.
constexpr int kSlots = 8;
char gSlotPaths[kSlots][PATH_MAX];
volatile sig_atomic_t gSlotUsed[kSlots];
bool gHandlersInstalled = false;

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only calls that are safe in a signal handler.
void RemoveTemporariesAndDie(int number) {
  for (int i = 0; i < kSlots; ++i) {
    if (gSlotUsed[i]) ::unlink(gSlotPaths[i]);
  }
  // The handler was reset on entry: the signal ends the process as it would have.
  ::raise(number);
}

// A program's own handler (the game's recorder, SDL's) or a signal it
// ignores (nohup) is left as it is.
void InstallHandlers() {
  if (gHandlersInstalled) return;
  gHandlersInstalled = true;
  for (int number : kCleanupSignals) {
    struct sigaction old;
    if (::sigaction(number, nullptr, &old) != 0) continue;
    if ((old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) continue;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = RemoveTemporariesAndDie;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(number, &action, nullptr);
  }
}

int HoldForSignals(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  InstallHandlers();
  for (int i = 0; i < kSlots; ++i) {
    if (gSlotUsed[i]) continue;
    std::memcpy(gSlotPaths[i], path.c_str(), path.size() + 1);
    gSlotUsed[i] = 1;
    return i;
  }
  return -1;
}

void Release(int& slot) {
  if (slot >= 0) gSlotUsed[slot] = 0;
  slot = -1;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Why() { return std::strerror(errno); }

// The file a path leads to: a link is followed, so that the link stays and
// the file it names is replaced.
bool Resolve(const std::string& path, std::string& target, std::string& error) {
  target = path;
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) {
    error = "cannot write " + path + ": it is a link that leads nowhere (" + Why() + ")";
    return false;
  }
  target = real;
  std::free(real);
  return true;
}

std::string RandomSuffix() {
  static const char kDigits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static uint64_t state = 0;
  state += static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           (static_cast<uint64_t>(::getpid()) << 32) ^ 0x9E3779B97F4A7C15ull;
  uint64_t bits = state * 0xBF58476D1CE4E5B9ull;
  std::string suffix;
  for (int i = 0; i < 6; ++i, bits /= 62) suffix += kDigits[bits % 62];
  return suffix;
}

// Makes the folder's entry of a rename last a crash; a file system that
// cannot is no reason to fail.
void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool CheckWriteTarget(const std::string& path, const std::vector<std::string>& inputs,
                      std::string& error) {
  if (path.empty()) {
    error = "cannot write a file with no name";
    return false;
  }
  std::string target;
  if (!Resolve(path, target, error)) return false;
  const std::string folder = FolderOf(target);
  struct stat info;
  if (::stat(target.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      error = "cannot write " + path + ": it is a directory, not a file";
      return false;
    }
    if (!S_ISREG(info.st_mode)) {
      error = "cannot write " + path + ": it is not a regular file (a device, FIFO or socket)";
      return false;
    }
    for (const std::string& input : inputs) {
      struct stat read;
      if (::stat(input.c_str(), &read) == 0 && read.st_dev == info.st_dev &&
          read.st_ino == info.st_ino) {
        error = "cannot write " + path + ": it is the input " + input + " itself";
        return false;
      }
    }
  } else if (errno != ENOENT) {
    error = "cannot write " + path + ": " + Why();
    return false;
  } else {
    struct stat folderInfo;
    if (::stat(folder.c_str(), &folderInfo) != 0) {
      error = "cannot write " + path + ": the folder " + folder +
              (errno == ENOENT ? " does not exist" : ": " + Why());
      return false;
    }
    if (!S_ISDIR(folderInfo.st_mode)) {
      error = "cannot write " + path + ": " + folder + " is not a folder";
      return false;
    }
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    error = "cannot write " + path + ": the folder " + folder + ": " + Why();
    return false;
  }
  return true;
}

FileWriter::~FileWriter() { Discard(); }

bool FileWriter::Failed(const std::string& what, std::string& error) {
  error = "cannot write " + target_ + ": " + what;
  Discard();
  return false;
}

bool FileWriter::Open(const std::string& path, const std::vector<std::string>& inputs,
                      std::string& error) {
  Discard();
  finished_ = false;
  if (!CheckWriteTarget(path, inputs, error) || !Resolve(path, target_, error)) return false;
  struct stat old;
  const bool replacing = ::stat(target_.c_str(), &old) == 0;
  const std::string stem = FolderOf(target_) + "/" + NameOf(target_) + ".partial-";
  // A signal between creating the file and noting it would leave it behind.
  sigset_t cleanup, previous;
  sigemptyset(&cleanup);
  for (int number : kCleanupSignals) sigaddset(&cleanup, number);
  ::sigprocmask(SIG_BLOCK, &cleanup, &previous);
  int created = EEXIST;
  for (int attempt = 0; attempt < 100 && created == EEXIST; ++attempt) {
    std::string name = stem + RandomSuffix();
    // Not following a link, so nothing but a new file of ours is written.
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    created = fd_ >= 0 ? 0 : errno;
    if (fd_ >= 0) {
      temporary_ = name;
      slot_ = HoldForSignals(temporary_);
    }
  }
  ::sigprocmask(SIG_SETMASK, &previous, nullptr);
  if (created == EEXIST) return Failed("cannot find a free temporary name beside it", error);
  if (created != 0) {
    return Failed(std::string("cannot create a file beside it: ") + std::strerror(created), error);
  }
  // A replaced file keeps its permissions; a new one gets the usual ones.
  if (replacing) ::fchmod(fd_, old.st_mode & 07777);
  return true;
}

bool FileWriter::Write(const void* data, size_t size, std::string& error) {
  if (fd_ < 0 || finished_) return Failed("the file is not open for writing", error);
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd_, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Failed(n < 0 ? Why() : "the disk took no more", error);
    done += static_cast<size_t>(n);
  }
  // A folder deleted meanwhile takes the file with it, though writes go on
  // succeeding: found now rather than at the rename.
  struct stat info;
  if (::fstat(fd_, &info) == 0 && info.st_nlink == 0) {
    return Failed("its temporary file " + temporary_ +
                      " was removed while it was written (was the folder deleted?)",
                  error);
  }
  return true;
}

bool FileWriter::Finish(std::string& error) {
  if (finished_) return true;
  if (fd_ < 0) return Failed("the file is not open for writing", error);
  if (::fsync(fd_) != 0) return Failed("flushing it to disk: " + Why(), error);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Failed(Why(), error);
  finished_ = true;
  return true;
}

bool FileWriter::Commit(std::string& error) {
  if (!Finish(error)) return false;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return Failed("cannot put it in place: " + Why(), error);
  }
  Release(slot_);
  temporary_.clear();
  finished_ = false;
  SyncFolder(FolderOf(target_));
  return true;
}

void FileWriter::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  Release(slot_);
  temporary_.clear();
  finished_ = false;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error) {
  FileWriter file;
  return file.Open(path, {}, error) && file.Write(bytes.data(), bytes.size(), error) &&
         file.Commit(error);
}

}  // namespace platform

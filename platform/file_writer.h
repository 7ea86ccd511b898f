#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The one way the game and its tools write a file: whole or not at all. The
// bytes go into a temporary file beside the target ("NAME.partial-XXXXXX"),
// every write is checked, the file is flushed to disk and only then renamed
// over the target. Until that rename the target is never touched; a
// temporary file is removed on failure, when its writer goes away
// uncommitted, and when the program is ended by SIGINT, SIGTERM or SIGHUP.
namespace platform {

// True when `path` may be written: a regular file (or a link to one) or
// nothing yet, in a folder that exists, and none of the files in `inputs`
// (the same device and inode). False with a reason otherwise (a directory,
// a FIFO or device, a missing folder, a program's own input).
bool CheckWriteTarget(const std::string& path, const std::vector<std::string>& inputs,
                      std::string& error);

class FileWriter {
 public:
  FileWriter() = default;
  ~FileWriter();  // an uncommitted file is removed
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Checks the target as CheckWriteTarget does and creates the temporary
  // file beside it.
  bool Open(const std::string& path, const std::vector<std::string>& inputs, std::string& error);
  // Appends to the temporary file. A failed write, or a temporary file that
  // is gone (its folder deleted), fails it and every later call.
  bool Write(const void* data, size_t size, std::string& error);
  // Flushes the temporary file to disk and closes it. Commit does this
  // first when it has not been done: call it on its own to finish several
  // files before renaming any of them.
  bool Finish(std::string& error);
  // Renames the finished file over the target.
  bool Commit(std::string& error);
  // Removes the temporary file; the target stays as it was.
  void Discard();

  bool IsOpen() const { return !temporary_.empty(); }
  const std::string& Target() const { return target_; }
  const std::string& Temporary() const { return temporary_; }

 private:
  bool Failed(const std::string& what, std::string& error);

  std::string target_;     // where the file goes, links followed
  std::string temporary_;  // empty when there is nothing to remove
  int fd_ = -1;
  int slot_ = -1;  // in the list the signal handler removes
  bool finished_ = false;
};

// Open, one Write and Commit: replaces `path` with `bytes`.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error);

}  // namespace platform

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A fresh temporary folder, removed with everything in it. Entered, it is
// also the working directory while alive, so files are named by short
// relative paths as the game names its data.
class TempDir {
 public:
  enum Mode { kStayOutside, kEnter };
  explicit TempDir(Mode mode = kStayOutside);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes the named file in the folder; a test that cannot is stopped.
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  void WriteText(const std::string& name, const std::string& text) const;

 private:
  std::string path_, previous_;
};

#include "tools/content/byte_writer.h"

#include <cerrno>
#include <cstdio>
#include <memory>

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fflush(file.get()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

#include "platform/executable_path.h"

#include <unistd.h>

#include <vector>

namespace platform {

std::string ExecutablePath() {
  // readlink does not say whether it cut the path short, so grow the buffer
  // until the answer fits with room to spare.
  for (size_t size = 256; size <= 65536; size *= 4) {
    std::vector<char> buffer(size);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), length);
  }
  return {};
}

}  // namespace platform

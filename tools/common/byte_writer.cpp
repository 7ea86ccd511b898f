#include "tools/common/byte_writer.h"

#include "platform/file_writer.h"

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error) {
  return platform::WriteWholeFile(path, bytes, error);
}

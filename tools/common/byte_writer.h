#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "assets/byte_writer.h"

// Replaces `path` with `bytes`, whole or not at all (platform::WriteWholeFile);
// false, with the reason in `error`, on failure. The one way the tools write a
// file.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error);

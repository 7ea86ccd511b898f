#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// One way to damage a good file: its name, an edit of the good bytes, and
// part of the reason the reader must give for refusing the result.
struct Damage {
  const char* name;
  std::function<void(Bytes&)> edit;
  const char* reason;
};

// Reads bytes as the reader under test does: its reason for refusing them,
// or "" when it accepts them.
using ReasonOf = std::function<std::string(const Bytes&)>;

// `read` accepts `good` and refuses each damaged copy of it with its reason.
void ExpectEachRefused(const Bytes& good, const std::vector<Damage>& damages, const ReasonOf& read);

// A little-endian edit of a file image.
void Put32(Bytes& bytes, size_t offset, uint32_t value);

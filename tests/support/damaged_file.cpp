#include "tests/support/damaged_file.h"

#include <gtest/gtest.h>

void ExpectEachRefused(const Bytes& good, const std::vector<Damage>& damages, const ReasonOf& read) {
  ASSERT_EQ(read(good), "") << "the undamaged file";
  for (const Damage& damage : damages) {
    Bytes bytes = good;
    damage.edit(bytes);
    const std::string reason = read(bytes);
    EXPECT_NE(reason.find(damage.reason), std::string::npos)
        << damage.name << ": expected \"" << damage.reason << "\" in \"" << reason << "\"";
  }
}

void Put32(Bytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

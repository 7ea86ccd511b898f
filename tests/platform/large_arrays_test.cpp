// Large arrays: a block big enough to come from the kernel starts on a large
// page, starts out zero and holds every byte asked for; vectors move their
// elements between small and large blocks as they grow.
#include "platform/large_arrays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

TEST(LargeArrays, LargeBlocksAreAlignedZeroAndWhole) {
  for (size_t bytes : {kLargePage, kLargePage + 1, 3 * kLargePage + 12345}) {
    auto* block = static_cast<uint8_t*>(platform::AllocateLarge(bytes, 1));
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % kLargePage, 0u) << bytes;
#endif
    EXPECT_TRUE(std::all_of(block, block + bytes, [](uint8_t b) { return b == 0; })) << bytes;
    // Every byte is ours to write, up to the last.
    std::memset(block, 0xA5, bytes);
    EXPECT_EQ(block[bytes - 1], 0xA5);
    platform::FreeLarge(block, bytes, 1);
  }
}

TEST(LargeArrays, VectorsKeepTheirElementsAsTheyGrowPastALargePage) {
  platform::LargeArray<uint32_t> values;
  const uint32_t count = 3 * kLargePage / sizeof(uint32_t);
  for (uint32_t i = 0; i < count; ++i) values.push_back(i * 2654435761u);
  for (uint32_t i = 0; i < count; ++i) ASSERT_EQ(values[i], i * 2654435761u) << i;
  values.resize(10);
  values.shrink_to_fit();
  EXPECT_EQ(values[9], 9 * 2654435761u);
}

TEST(LargeArrays, AHugeCountIsRefusedNotWrappedAround) {
  EXPECT_THROW(platform::AllocateLarge(SIZE_MAX / 2, 4), std::bad_alloc);
  EXPECT_THROW(platform::AllocateLarge(SIZE_MAX - 100, 1), std::bad_alloc);
}

}  // namespace

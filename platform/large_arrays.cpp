#include "platform/large_arrays.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

// Under the address sanitizer every block comes from calloc, so that reads
// past an array's end are still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kFromKernel = false;
#else
constexpr bool kFromKernel = true;
#endif

bool FromKernel(size_t bytes) { return kFromKernel && bytes >= kLargePage; }

size_t WholeLargePages(size_t bytes) { return (bytes + kLargePage - 1) & ~(kLargePage - 1); }

void* MapLargePages(size_t bytes) {
  const size_t length = WholeLargePages(bytes);
  // One large page more than asked for, so that an aligned run fits; the
  // ends around it are given back at once.
  void* mapped = mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const uintptr_t from = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t start = (from + kLargePage - 1) & ~(kLargePage - 1);
  if (start > from) munmap(mapped, start - from);
  munmap(reinterpret_cast<void*>(start + length), from + kLargePage - start);
  // Only advice: where the kernel has no large pages to give, small ones do.
  madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(start);
}

}  // namespace

void AdviseLargePages(void* data, size_t bytes) {
  if (data == nullptr || bytes < 2 * kLargePage) return;
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(page - 1);
  if (end <= start) return;
  madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

void* AllocateLarge(size_t count, size_t size, size_t alignment) {
  // No block may be larger than the address space can span, which also
  // keeps the rounding up to whole large pages from wrapping.
  if (size != 0 && count > PTRDIFF_MAX / size) throw std::bad_array_new_length();
  const size_t bytes = count * size;
  void* block = nullptr;
  if (FromKernel(bytes)) {
    block = MapLargePages(bytes);
  } else if (alignment <= alignof(std::max_align_t)) {
    block = std::calloc(count == 0 ? 1 : count, size);
  } else {
    // aligned_alloc wants a whole number of alignments, and at least one.
    const size_t rounded = ((bytes == 0 ? 1 : bytes) + alignment - 1) & ~(alignment - 1);
    block = std::aligned_alloc(alignment, rounded);
    if (block != nullptr) std::memset(block, 0, rounded);
  }
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void FreeLarge(void* block, size_t count, size_t size) {
  const size_t bytes = count * size;
  if (FromKernel(bytes)) {
    munmap(block, WholeLargePages(bytes));
  } else {
    std::free(block);
  }
}

}  // namespace platform

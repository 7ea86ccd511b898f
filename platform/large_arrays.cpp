#include "platform/large_arrays.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

void AdviseLargePages(void* data, size_t bytes) {
  constexpr uintptr_t kLargePage = 2u << 20;
  if (data == nullptr || bytes < 2 * kLargePage) return;
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(page - 1);
  if (end <= start) return;
  // Only advice: where the kernel has no large pages to give, nothing changes.
  madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace platform

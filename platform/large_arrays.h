#pragma once
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace platform {

// Zeroed room for `count` elements of `size` bytes. A block of 2 MiB or
// more comes straight from the kernel, aligned to and rounded up to whole
// 2 MiB pages with large pages asked for: filling a big level's arrays then
// costs one page fault per 2 MiB, where each 4 KiB page of an unaligned
// block's ends would cost one of its own. Throws std::bad_alloc when there
// is no memory. A smaller block is aligned to `alignment`, a power of two.
void* AllocateLarge(size_t count, size_t size, size_t alignment = alignof(std::max_align_t));
// Gives back what AllocateLarge returned for the same count and size.
void FreeLarge(void* block, size_t count, size_t size);

// An allocator for a level's large arrays, through AllocateLarge.
template <class T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <class U>
  LargeAllocator(const LargeAllocator<U>&) {}

  T* allocate(size_t count) { return static_cast<T*>(AllocateLarge(count, sizeof(T), alignof(T))); }
  void deallocate(T* p, size_t count) { FreeLarge(p, count, sizeof(T)); }

  template <class U>
  bool operator==(const LargeAllocator<U>&) const {
    return true;
  }
  template <class U>
  bool operator!=(const LargeAllocator<U>&) const {
    return false;
  }
};

template <class T>
using LargeArray = std::vector<T, LargeAllocator<T>>;

// Asks the kernel to back the whole large pages within [data, data + bytes)
// with large pages, for a large block that did not come from AllocateLarge.
// Small ranges are left alone.
void AdviseLargePages(void* data, size_t bytes);

// Resizes a plain vector to `count` elements, advising large pages before
// the new elements are first written.
template <class T>
void ResizeLarge(std::vector<T>& v, size_t count) {
  if (count > v.capacity()) {
    v.reserve(count);
    AdviseLargePages(v.data(), v.capacity() * sizeof(T));
  }
  v.resize(count);
}

// A LargeAllocator for arrays of plain records that start out zero: the
// memory is zero when it is allocated, so value-initialising an element
// writes nothing more. Only for arrays that grow once into fresh room.
template <class T>
struct ZeroedAllocator : LargeAllocator<T> {
  ZeroedAllocator() = default;
  template <class U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}

  template <class U>
  void construct(U*) {}
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

}  // namespace platform

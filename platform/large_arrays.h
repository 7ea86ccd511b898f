#pragma once
#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace platform {

// Asks the kernel to back the whole pages within [data, data + bytes) with
// 2 MiB pages where it can. A large array that is filled once, such as a
// level's, then costs one page fault per 2 MiB instead of one per 4 KiB,
// which is most of a big level's load time. Small ranges are left alone.
void AdviseLargePages(void* data, size_t bytes);

// Makes room in `v` for `count` elements, advising large pages for them.
template <class T, class Allocator>
void ReserveLarge(std::vector<T, Allocator>& v, size_t count) {
  if (count > v.capacity()) {
    v.reserve(count);
    AdviseLargePages(v.data(), v.capacity() * sizeof(T));
  }
}

// Resizes `v` to `count` elements, advising large pages before the new
// elements are first written.
template <class T>
void ResizeLarge(std::vector<T>& v, size_t count) {
  ReserveLarge(v, count);
  v.resize(count);
}

template <class T>
void AssignLarge(std::vector<T>& v, size_t count, const T& value) {
  v.clear();
  ReserveLarge(v, count);
  v.assign(count, value);
}

// An allocator for large arrays of plain records that start out zero: the
// memory comes from calloc, which for a large block is fresh pages the kernel
// has already cleared, with large pages advised before anything touches it,
// and value-initialising an element writes nothing more.
template <class T>
struct ZeroedAllocator {
  using value_type = T;
  ZeroedAllocator() = default;
  template <class U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}

  T* allocate(size_t count) {
    void* p = std::calloc(count, sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    AdviseLargePages(p, count * sizeof(T));
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) { std::free(p); }

  // The memory is zero already, which is what value-initialising a plain
  // record would write.
  template <class U>
  void construct(U*) {}
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  template <class U>
  bool operator==(const ZeroedAllocator<U>&) const { return true; }
  template <class U>
  bool operator!=(const ZeroedAllocator<U>&) const { return false; }
};

}  // namespace platform

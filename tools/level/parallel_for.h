#pragma once
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

// Calls work(begin, end) over [0, count) in chunks on every core. Each item
// is done exactly once and its result must not depend on which thread runs
// it, so the outcome is the same however the chunks fall.
template <typename Work>
void ParallelFor(size_t count, Work work, size_t chunk = 256) {
  unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  std::atomic<size_t> next{0};
  auto run = [&] {
    for (;;) {
      size_t begin = next.fetch_add(chunk);
      if (begin >= count) return;
      work(begin, std::min(count, begin + chunk));
    }
  };
  std::vector<std::thread> pool;
  for (unsigned i = 1; i < threads && i * chunk < count; ++i) pool.emplace_back(run);
  run();
  for (std::thread& t : pool) t.join();
}

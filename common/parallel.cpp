#include "common/parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace common {

void ForEachIndex(size_t count, const std::function<void(size_t)>& work) {
  constexpr size_t kPerThread = 32;  // fewer items than this do not pay for a thread
  constexpr size_t kMaxThreads = 4;
  const size_t cores = std::max<size_t>(1, std::thread::hardware_concurrency());
  const size_t threads = std::min({cores, kMaxThreads, count / kPerThread});
  std::atomic<size_t> next{0};
  auto drain = [&] {
    for (size_t i = next++; i < count; i = next++) work(i);
  };
  std::vector<std::jthread> helpers;
  for (size_t t = 1; t < threads; ++t) helpers.emplace_back(drain);
  drain();
}

}  // namespace common
